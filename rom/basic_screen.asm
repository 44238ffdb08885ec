; ===========================================================================
; Zorva BASIC: the screen.
;
; BASIC prints a character at a time on all 25 rows: CURPOS is the cursor's
; cell and CURCOL its column. A full row wraps onto the next, and past the
; bottom row the whole screen, characters and colours, moves up one row.
; Colours are left as they are, so a program may POKE its own.
; ===========================================================================

; putc (RST R_PUTC): print A at the cursor. CR moves to the start of the next
; row, LF down a row, 11 clears the screen, 7 (the bell) shows nothing,
; every other code shows as its glyph. Polls the keyboard. Keeps BC, DE, HL.
putc:
                push hl
                push af
                call kpoll
                pop af
                cp KEY_CR
                jr z,pc_cr
                cp 11
                jr z,pc_cls
                cp 10
                jr z,pc_lf
                cp 7
                jr z,pc_done
                ld hl,(CURPOS)
                ld (hl),a
                inc hl
                ld (CURPOS),hl
                ld hl,CURCOL
                inc (hl)
                ld a,(hl)
                cp COLS
                jr c,pc_done
pc_wrap:
                ld (hl),0
                call scrollchk
pc_done:
                pop hl
                ret
pc_cr:
                push de
                ld a,(CURCOL)
                ld e,a
                ld a,COLS
                sub e
                ld e,a
                ld d,0
                ld hl,(CURPOS)
                add hl,de
                ld (CURPOS),hl
                pop de
                ld hl,CURCOL
                jr pc_wrap
pc_cls:
                call bcls
                jr pc_done
pc_lf:
                push de
                ld hl,(CURPOS)
                ld de,COLS
                add hl,de
                ld (CURPOS),hl
                pop de
                call scrollchk
                jr pc_done

; scrollchk: when the cursor has gone past the bottom row, move the screen
; up one row and clear the bottom one.
scrollchk:
                ld hl,(CURPOS)
                ld a,l
                sub LOW (SCREEN+COLS*ROWS)
                ld a,h
                sbc a,HIGH (SCREEN+COLS*ROWS)
                ret c
                push de
                push bc
                ld hl,SCREEN+COLS
                ld de,SCREEN
                ld bc,COLS*LASTROW
                ldir
                ld hl,COLOUR+COLS
                ld de,COLOUR
                ld bc,COLS*LASTROW
                ldir
                ld hl,SCREEN+COLS*LASTROW
                call fillrow
                ld hl,(CURPOS)
                ld de,-COLS
                add hl,de
                ld (CURPOS),hl
                pop bc
                pop de
                ret

; bcls: clear the screen, cursor to the top left.
bcls:
                push de
                push bc
                call clrall
                pop bc
                pop de
                ld hl,SCREEN
                ld (CURPOS),hl
                xor a
                ld (CURCOL),a
                ret
