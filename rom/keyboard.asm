; ===========================================================================
; Keyboard: the scan and the typeahead buffer (keys.asm has the layout).
;
; The keyboard is a matrix of 8 columns x 6 rows. A column is selected by a
; 0 bit in the high byte of the port address (IN r,(C) uses all of BC), and
; the low 6 bits that come back are the rows, 0 = pressed. Column 7F also
; carries Shift (bit 4) and Ctrl (bit 5), so those two bits are not keys.
; Port 00FF holds the row byte of the last key pressed and reads FF again
; once any key is let go of; a key without a place (Shift, Ctrl, ...)
; writes 00 there.
;
; kpoll looks at port 00FF, and only when it changed does it search the
; columns for the key just pressed: the column whose byte equals it. So it
; costs a handful of instructions when nothing happens, and it is called
; often: between BASIC statements, for every character printed, in every
; long loop. What it finds goes into a 64-key typeahead buffer, so keys
; typed while a program runs are kept for INPUT or the next line. Ctrl+C
; sets BRKFLAG instead and empties the buffer.
;
; Enter shows up as row bit 3 of column FE, and while it is down column 7F
; reads 0Fh (Shift and Ctrl seem held): every table gives CR for it.
; ===========================================================================

; kpoll: take a newly pressed key into the typeahead buffer. Keeps BC, DE, HL.
kpoll:
                push hl
                ld hl,KEYROW
                in a,(0FFh)
                cp (hl)
                jr nz,kp_new
                pop hl
                ret
kp_new:
                ld (hl),a
                push de
                push bc
                call kp_key
                pop bc
                pop de
                pop hl
                ret

; kp_key: A = the new byte of port 00FF. Finds the key, its character in
; the layout of the modifiers held, and stores it.
kp_key:
                ld d,a
                cp 0C0h
                ret c                   ; 00: a key without a place
                inc a
                ret z                   ; FF: let go
                ld bc,0FEFFh
                ld e,0                  ; key index of the column's first row
kk_col:
                in a,(c)
                cp d
                jr z,kk_row
                rlc b                   ; next column: FE, FD, FB, ... 7F
                ld a,e
                add a,6
                ld e,a
                cp 7*6
                jr c,kk_col
                in a,(c)                ; column 7F: Shift and Ctrl are not rows
                or 30h
                cp d
                ret nz                  ; in no column (already let go)
kk_row:
                ld a,d
kk_bit:
                rrca                    ; the row is the lowest 0 bit
                jr nc,kk_found
                inc e
                jr kk_bit
kk_found:
                ld bc,7FFFh
                in a,(c)
                ld d,0
                bit 5,a
                jr z,kk_ctrl
                ld hl,keys_plain
                bit 4,a
                jr nz,kk_look
                ld hl,keys_shift
kk_look:
                add hl,de
                ld a,(hl)
kk_put:
                or a
                ret z                   ; no character there
                cp 3
                jr z,kk_break
                ld c,a
                ld hl,KEYCOUNT
                ld a,(hl)
                cp KEYBUFLEN
                ret nc                  ; full: the key is lost
                inc (hl)
                dec hl                  ; KEYHEAD
                add a,(hl)
                and KEYBUFLEN-1
                or LOW KEYBUF
                ld l,a
                ld h,HIGH KEYBUF
                ld (hl),c
                ret
kk_ctrl:
                ld hl,keys_ctrl         ; pairs of key index and character
kk_pair:
                ld a,(hl)
                inc hl
                cp e
                jr z,kk_hit
                inc hl
                inc a
                jr nz,kk_pair           ; the list ends with 0FFh
                ret
kk_hit:
                ld a,(hl)
                jr kk_put
kk_break:
                ld (BRKFLAG),a
                xor a
                ld (KEYCOUNT),a
                ret
