; ===========================================================================
; Reading keys: waiting for one from the typeahead buffer, and the monitor's
; line editor. Only the scan (keyboard.asm) must run from the ROM while the
; code is unpacked; these are unpacked with the monitor.
; ===========================================================================

; getkey: wait for a key and return its character in A; Ctrl+C gives 3.
; Keeps BC, DE. While it waits the random seed keeps moving, so RND
; depends on when keys are pressed.
getkey:
                call kpoll
                ld hl,(RNDSEED)
                inc hl
                ld (RNDSEED),hl
                ld hl,BRKFLAG
                ld a,(hl)
                or a
                jr nz,gk_break
                call keytake
                jr z,getkey
                ret
gk_break:
                ld (hl),0
                ld a,3
                ret

; keytake: A = the oldest key waiting, NZ; Z when there is none.
; Keeps BC, DE, HL.
keytake:
                ld a,(KEYCOUNT)
                or a
                ret z
                dec a
                ld (KEYCOUNT),a
                push hl
                ld hl,KEYHEAD
                ld a,(hl)
                inc (hl)
                and KEYBUFLEN-1
                or LOW KEYBUF
                ld l,a
                ld h,HIGH KEYBUF
                ld a,(hl)
                pop hl
                or a
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
                cp ' '
                jr c,rl_loop            ; Ctrl+C and other controls: nothing
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
