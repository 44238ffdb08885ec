; ===========================================================================
; Command interpreter.
;
; A command is one letter followed by a space or the end of the line; its
; arguments are hex numbers separated by spaces. Parsing walks the line with
; DE. Any error prints one line in red and goes straight back to the command
; loop with a fresh stack, so a command can bail out from any depth.
; Every command stays well under 15,000 instructions so that no key press
; is missed while it runs.
; ===========================================================================

; execute: run the command line in INBUF.
execute:
                ld hl,INBUF             ; commands are case-insensitive
ex_upper:
                ld a,(hl)
                or a
                jr z,ex_parse
                cp 'a'
                jr c,ex_next
                cp 'z'+1
                jr nc,ex_next
                sub 'a'-'A'
                ld (hl),a
ex_next:
                inc hl
                jr ex_upper
ex_parse:
                ld de,INBUF
                call skipsp
                ret z                   ; empty line
                ld c,a
                inc de
                ld a,(de)               ; a command is a single letter
                or a
                jr z,ex_find
                cp ' '
                jp nz,e_syntax
ex_find:
                ld hl,cmdtab
ex_look:
                ld a,(hl)
                or a
                jp z,e_syntax
                cp c
                jr z,ex_found
                inc hl
                inc hl
                inc hl
                jr ex_look
ex_found:
                inc hl
                ld a,(hl)
                inc hl
                ld h,(hl)
                ld l,a
                jp (hl)                 ; with DE just past the letter

; ---- errors -----------------------------------------------------------------
e_syntax:
                ld hl,t_syntax
                jr e_show
e_number:
                ld hl,t_number
                jr e_show
e_protect:
                ld hl,t_protect
e_show:
                ld sp,STACKTOP
                ld a,ERRATTR
                call pcolour
                jp main

; ---- argument parsing ---------------------------------------------------------
; skipsp: DE to the next non-space; A = that character, Z at the end.
skipsp:
                ld a,(de)
                cp ' '
                jr nz,ss_done
                inc de
                jr skipsp
ss_done:
                or a
                ret

; endargs: nothing but spaces may follow.
endargs:
                call skipsp
                ret z
                jp e_syntax

; arg16: the next argument as a 16-bit number in HL (missing: ?SYNTAX).
arg16:
                call skipsp
                jp z,e_syntax
; argnum: the hex number at DE (not at the end) in HL; DE past it.
; Anything but hex digits, or more than 16 bits, is ?BAD NUMBER.
; Destroys A and C.
argnum:
                ld hl,0
an_loop:
                ld a,(de)
                or a
                ret z
                cp ' '
                ret z
                call hexval
                jp c,e_number
                ld c,a
                ld a,h
                and 0F0h
                jp nz,e_number          ; a fifth significant digit
                add hl,hl
                add hl,hl
                add hl,hl
                add hl,hl
                ld a,l
                or c
                ld l,a
                inc de
                jr an_loop

; arg8: the next argument as a byte in A (missing: ?SYNTAX, > FF: ?BAD NUMBER).
arg8:
                call skipsp
                jp z,e_syntax
arg8num:
                call argnum
                ld a,h
                or a
                jp nz,e_number
                ld a,l
                ret

; hexval: the hex digit in A ('0'-'9', 'A'-'F') as 0-15, NC; C if not a digit.
hexval:
                sub '0'
                ret c
                cp 10
                ccf
                ret nc                  ; 0-9
                sub 'A'-'0'
                ret c
                cp 6
                ccf
                ret c
                add a,10                ; A-F; ADD leaves C clear here
                ret

; chkrange: refuse (?PROTECTED) a write of BC bytes (BC > 0) at HL that
; touches the ROM or the code unpacked below the screen (0000-2FFF), the
; monitor's own RAM and stack (3800-3BFF), BASIC's code (4000 up to its
; program), or runs past FFFF.
chkrange:
                ld a,h
                cp HIGH SCREEN
                jp c,e_protect
                ld d,h                  ; D = high byte of the start
                dec bc
                add hl,bc               ; HL = last byte written
                jp c,e_protect
                ld a,d
                cp HIGH PROGRAM
                ret nc                  ; starts above BASIC's code
                cp HIGH HIGHCODE
                jp nc,e_protect         ; starts in it
                cp HIGH WORKEND
                jr nc,cr_high           ; starts in BASIC's state
                ld a,h
                cp HIGH VARS
                jp nc,e_protect         ; reaches the monitor's RAM
                ret
cr_high:
                ld a,h
                cp HIGH HIGHCODE
                ret c                   ; ends below BASIC's code
                jp e_protect

; ---- D [addr [count]] ---------------------------------------------------------
; Lines of "AAAA: HH HH HH HH HH HH HH HH ASCII...", characters outside
; 20-7E shown as '.'. A bare D goes on where the last dump stopped.
cmd_d:
                ld hl,(DUMPNEXT)
                ld bc,DUMPDEF
                call skipsp
                jr z,d_go
                call argnum
                push hl
                ld bc,DUMPDEF
                call skipsp
                jr z,d_go_addr
                call argnum
                ld b,h
                ld c,l
                ld a,b
                or c
                jp z,e_number           ; count 0
                ld a,b                  ; at most DUMPMAX (80h)
                or a
                jp nz,e_number
                ld a,c
                cp DUMPMAX+1
                jp nc,e_number
d_count_ok:
                push bc
                call endargs
                pop bc
d_go_addr:
                pop hl
d_go:
                ld (DADDR),hl
                ld (DREM),bc
d_line:
                call lbeg
                ld hl,(DADDR)
                ld a,h
                call lhex8
                ld a,l
                call lhex8
                ld a,':'
                ld (de),a
                inc de
                inc de
                ld ix,LINEBUF+30        ; ASCII column
                ld b,8
d_byte:
                ld a,(hl)
                call lhex8
                inc de
                ld a,(hl)
                cp ' '
                jr c,d_dot
                cp 7Fh
                jr c,d_char
d_dot:
                ld a,'.'
d_char:
                ld (ix+0),a
                inc ix
                inc hl
                push hl
                ld hl,(DREM)
                dec hl
                ld (DREM),hl
                ld a,h
                or l
                pop hl
                jr z,d_last
                djnz d_byte
                ld (DADDR),hl
                call lend
                jr d_line
d_last:
                ld (DUMPNEXT),hl
                jp lend

; ---- M addr bb [bb..] -----------------------------------------------------------
; All bytes are checked before any is written.
cmd_m:
                call arg16
                ld (ARG1),hl
                ld ix,MBUF
                ld b,0
m_next:
                call skipsp
                jr z,m_done
                ld a,b
                cp MBUFLEN
                jp nc,e_syntax
                call arg8num
                ld (ix+0),a
                inc ix
                inc b
                jr m_next
m_done:
                ld a,b
                or a
                jp z,e_syntax           ; no bytes
                ld c,b
                ld b,0
                push bc
                ld hl,(ARG1)
                call chkrange
                pop bc
                ld hl,MBUF
                ld de,(ARG1)
                ldir
                ret

; ---- F addr count bb --------------------------------------------------------------
cmd_f:
                call arg16
                ld (ARG1),hl
                call arg16
                ld (ARG2),hl
                call arg8
                push af
                call endargs
                ld bc,(ARG2)
                ld a,b
                or c
                jr z,f_none             ; nothing to fill
                ld hl,(ARG1)
                call chkrange
                pop af
                ld hl,(ARG1)
                ld (hl),a
                ld bc,(ARG2)
                dec bc
                ld a,b
                or c
                ret z
                ld d,h
                ld e,l
                inc de
                ldir                    ; spreads the first byte over the rest
                ret
f_none:
                pop af
                ret

; ---- G addr ---------------------------------------------------------------------------
; The program is entered with the command loop's return address on the stack,
; so its RET comes back for the next command.
cmd_g:
                call arg16
                push hl
                call endargs
                pop hl
                jp (hl)

; ---- O port bb ------------------------------------------------------------------------
; OUT (n),A takes the port as part of the instruction, so it is built in RAM.
cmd_o:
                call arg8
                ld (OUTTRAMP+1),a
                call arg8
                push af
                call endargs
                ld a,0D3h               ; OUT (n),A
                ld (OUTTRAMP),a
                ld a,0C9h               ; RET
                ld (OUTTRAMP+2),a
                pop af
                jp OUTTRAMP

; ---- C: the character set ---------------------------------------------------------------
; A header row of column digits, then 16 rows " 00   c c c ...".
cmd_c:
                call endargs
                ld hl,t_chead
                call ptext
                xor a                   ; first code of the row
c_row:
                push af
                call lbeg
                inc de
                pop af
                push af
                call lhex8
                ld de,LINEBUF+6
                pop af
                push af
                ld b,16
c_cell:
                ld (de),a
                inc de
                inc de
                inc a
                djnz c_cell
                call lend
                pop af
                add a,16
                jr nz,c_row
                ret

; ---- P: the colour pairs ------------------------------------------------------------------
; Row = foreground, column = background; each cell shows its own colour
; byte in that colour.
cmd_p:
                call endargs
                ld hl,t_phead
                call ptext
                xor a                   ; foreground << 4
p_row:
                push af
                call lbeg
                ld de,LINEBUF+2
                pop af
                push af
                rrca
                rrca
                rrca
                rrca
                call lnib
                ld de,LINEBUF+6
                pop af
                push af
                ld c,a                  ; colour byte of the cell
                ld b,16
                ld ix,ATTRBUF+6         ; the same cells' colours
p_cell:
                ld a,c
                call lhex8
                ld (ix+0),c
                ld (ix+1),c
                inc ix
                inc ix
                inc c
                djnz p_cell
                call lend
                pop af
                add a,16
                jr nz,p_row
                ret

; ---- X: clear screen ---------------------------------------------------------------------
cmd_x:
                call endargs
                call clrall
                jp banner

; ---- H: help --------------------------------------------------------------------------------
cmd_h:
                call endargs
                ld hl,t_help
                jp ptext

; ---- B: back to BASIC ---------------------------------------------------------------
; The program and variables are where BASIC left them.
cmd_b:
                call endargs
                jp bas_warm
