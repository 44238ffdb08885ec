; ===========================================================================
; Keyboard and line editor.
;
; The keyboard is a matrix of 8 columns x 6 rows. A column is selected by a
; 0 bit in the high byte of the port address (IN r,(C) uses all of BC), and
; the low 6 bits that come back are the rows, 0 = pressed. Column 7F also
; carries Shift (bit 4) and Ctrl (bit 5), so those two bits are not keys.
; Only one key per column shows at a time, so the scan simply takes the first
; pressed key it finds.
;
; Enter shows up as row bit 3 of column FE, and while it is down column 7F
; reads 0Fh (Shift and Ctrl seem held): the key tables give CR for both
; shift states, so Enter works whatever the modifiers say.
;
; The processor runs flat out, so a key is taken once when it goes down and
; again only after everything has been let go of (or another key is pressed).
; ===========================================================================

; scan: E = index of the first pressed key (column * 6 + row), or 0FFh.
scan:
                ld bc,0FEFFh            ; first column
                ld e,0
sc_col:
                in a,(c)
                or 0C0h                 ; rows are bits 0-5 only
                ld d,a
                ld a,b
                cp 7Fh
                ld a,d
                jr nz,sc_test
                or 30h                  ; column 7F: Shift and Ctrl are not keys
sc_test:
                cp 0FFh
                jr nz,sc_row
                ld a,e
                add a,6
                ld e,a
                rlc b                   ; next column: FE, FD, FB, ... 7F
                cp 8*6
                jr c,sc_col
                ld e,0FFh
                ret
sc_row:
                rrca                    ; lowest 0 bit is the row
                ret nc
                inc e
                jr sc_row

; getkey: wait for a new key press and return its character in A.
getkey:
                call scan
                ld a,(LASTKEY)
                cp e
                jr z,getkey             ; same key still held, or still none
                ld a,e
                ld (LASTKEY),a
                inc a
                jr z,getkey             ; a release: wait for the next press
                ld hl,keys_plain
                ld bc,7FFFh
                in a,(c)
                and 10h
                jr nz,gk_look
                ld hl,keys_shift        ; Shift held
gk_look:
                ld d,0
                add hl,de
                ld a,(hl)
                or a
                jr z,getkey             ; no character on that position
                ret

; curaddr: HL = the cursor's cell (after the "> " prompt and the text).
curaddr:
                ld hl,(ROWPTR)
                ld a,(INLEN)
                add a,2
                ld e,a
                ld d,0
                add hl,de
                ret

; readline: prompt, then edit a line into INBUF until Enter. Printable
; keys are added while there is room, Backspace removes the last one.
; The cursor is a block character, so it shows as soon as the screen does.
; Ends with the cursor at the start of the next row.
readline:
                call clrrow
                ld hl,(ROWPTR)
                ld (hl),'>'
                set 2,h
                ld (hl),PROMPTATTR
                xor a
                ld (INLEN),a
rl_loop:
                call curaddr
                ld (hl),CURSOR
                call getkey
                cp KEY_CR
                jr z,rl_enter
                cp KEY_BS
                jr z,rl_back
                ld c,a
                ld a,(INLEN)
                cp MAXLEN
                jr nc,rl_loop           ; line full: ignore
                call curaddr
                ld (hl),c
                ld hl,INBUF
                add hl,de               ; curaddr left DE = INLEN + 2
                dec hl
                dec hl
                ld (hl),c
                ld hl,INLEN
                inc (hl)
                jr rl_loop
rl_back:
                ld a,(INLEN)
                or a
                jr z,rl_loop
                call curaddr
                ld (hl),' '
                ld hl,INLEN
                dec (hl)
                jr rl_loop
rl_enter:
                call curaddr
                ld (hl),' '
                ld hl,INBUF
                add hl,de
                dec hl
                dec hl
                ld (hl),0
                jp newline
