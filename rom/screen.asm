; ===========================================================================
; Screen output.
;
; Row 0 is the title bar and never scrolls; rows 1-24 are the text area.
; Output is line based: a command builds a whole row in LINEBUF/ATTRBUF
; (lbeg, then plain stores through DE) and lend copies it to the cursor's
; row with two LDIRs and moves down one row, scrolling when needed. That
; keeps even the biggest tables to a few thousand instructions.
; Only the line editor writes single cells (see keyboard.asm).
; ===========================================================================

; clrall: whole screen to spaces in DEFATTR, cursor to row 1. The unused
; bytes after each 1000 are cleared too: power-on's unpacker kept its model
; there.
clrall:
                ld hl,SCREEN
                ld (hl),' '
                ld de,SCREEN+1
                ld bc,400h-1
                ldir
                ld hl,COLOUR
                ld (hl),DEFATTR
                ld de,COLOUR+1
                ld bc,400h-1
                ldir
                ld hl,SCREEN+COLS
                ld (ROWPTR),hl
                ld a,1
                ld (CURROW),a
                ret

; banner: the title bar on row 0.
banner:
                ld hl,t_banner
                ld de,SCREEN
                ld bc,COLS
                ldir
                ld hl,COLOUR
                ld (hl),BANNERATTR
                ld de,COLOUR+1
                ld bc,COLS-1
                ldir
                ret

; clrrow: the cursor's row to spaces in DEFATTR.
clrrow:
                ld hl,(ROWPTR)
; fillrow: the row starting at HL (character memory) to spaces in DEFATTR.
fillrow:
                ld (hl),' '
                ld d,h
                ld e,l
                inc de
                ld bc,COLS-1
                push hl
                ldir
                pop hl
                set 2,h                 ; same cell in colour memory
                ld (hl),DEFATTR
                ld d,h
                ld e,l
                inc de
                ld bc,COLS-1
                ldir
                ret

; newline: cursor to the start of the next row; at the bottom the text
; area scrolls up one row (characters and colours) and row 24 is cleared.
newline:
                ld a,(CURROW)
                cp LASTROW
                jr z,nl_scroll
                inc a
                ld (CURROW),a
                ld hl,(ROWPTR)
                ld de,COLS
                add hl,de
                ld (ROWPTR),hl
                ret
nl_scroll:
                ld hl,SCREEN+2*COLS
                ld de,SCREEN+COLS
                ld bc,COLS*(LASTROW-1)
                ldir
                ld hl,COLOUR+2*COLS
                ld de,COLOUR+COLS
                ld bc,COLS*(LASTROW-1)
                ldir
                ld hl,SCREEN+LASTROW*COLS
                jr fillrow

; lbeg: start a line: LINEBUF to spaces, ATTRBUF to the current colour.
; Returns DE = LINEBUF. Destroys A, BC, HL.
lbeg:
                ld hl,LINEBUF
                ld (hl),' '
                ld de,LINEBUF+1
                ld bc,COLS-1
                ldir                    ; leaves DE = ATTRBUF
                ld a,(ATTR)
                ld (de),a
                ld h,d
                ld l,e
                inc de
                ld bc,COLS-1
                ldir
                ld de,LINEBUF
                ret

; lend: put the line on the cursor's row and move down.
lend:
                ld hl,LINEBUF
                ld de,(ROWPTR)
                ld bc,COLS
                ldir
                ld de,(ROWPTR)          ; HL now points at ATTRBUF
                set 2,d
                ld bc,COLS
                ldir
                jr newline

; ptext: print HL, a 0-terminated text whose lines are separated by
; KEY_CR; each line must fit one row. Uses the current colour.
ptext:
                push hl
                call lbeg
                pop hl
pt_loop:
                ld a,(hl)
                inc hl
                or a
                jr z,lend
                cp KEY_CR
                jr z,pt_line
                ld (de),a
                inc de
                jr pt_loop
pt_line:
                push hl
                call lend
                pop hl
                jr ptext

; pcolour: ptext in colour A, then back to the normal colour.
pcolour:
                ld (ATTR),a
                call ptext
                ld a,DEFATTR
                ld (ATTR),a
                ret

; lhex8: A as two hex digits at DE, DE += 2. Keeps BC and HL.
lhex8:
                push af
                rrca
                rrca
                rrca
                rrca
                call lnib
                pop af
; lnib: the low nibble of A as one hex digit at DE, DE += 1.
lnib:
                and 0Fh
                add a,'0'
                cp '9'+1
                jr c,ln_put
                add a,'A'-'9'-1
ln_put:
                ld (de),a
                inc de
                ret
