; ===========================================================================
; Zorva BASIC: start-up, the direct-mode loop, storing lines, the statement
; loop, errors and Break.
;
; Conventions of the whole interpreter:
;   DE  the text pointer: the next character of the line being run or parsed
;   FAC a number's value (float.asm), HL the address of a string's descriptor
;   VALTYP  0 after a number, 1 after a string
; A string descriptor is 3 bytes: length, then the address of the characters.
;
; A stored line is: length of the whole line (1 byte), line number (2), the
; text with keywords as tokens (80h and up), and a 0. The program ends with a
; 0 length byte. Everything else moves in one block when a line goes in or
; out, so storing a line is a search and two block copies.
;
; Statements run at the top level with a fresh stack, so an error, GOTO or
; Break simply resets SP. Between two statements the keyboard is polled, so
; keys typed while a program runs wait in the typeahead buffer.
; ===========================================================================

; ---- power-on and the monitor's B -------------------------------------------
bas_cold:
                ld sp,BSTACK
                call finit
                ld hl,BASIC_MAGIC
                ld (BMAGIC),hl
                call bnew
                call bcls
                ld hl,t_basic
                call prstr
                ld hl,(FRETOP)          ; the bytes free, unsigned
                ld de,(STREND)
                or a
                sbc hl,de
                call prword
                ld hl,t_free
                call prstr
                jr ready

; bas_warm: back from the monitor. BASIC starts afresh if it never started
; (the monitor was reached some other way).
bas_warm:
                ld sp,BSTACK
                ld hl,(BMAGIC)
                ld de,BASIC_MAGIC
                call cphlde
                jr nz,bas_cold
                call bcls
ready:
                ld sp,BSTACK
                call crlf0
                ld hl,t_ok
                call prstr
direct:
                ld sp,BSTACK
                ld hl,0FFFFh
                ld (CURLINE),hl
                ld hl,BINBUF
                call inline
                jr c,direct             ; Ctrl+C: drop the line
                call linechk
                ld de,BINBUF
                rst R_GETC
                jr z,direct             ; nothing typed
                call isdigit
                jr nc,runline
                call getlnum            ; a numbered line: store it
                call storeline
                jr direct

; runline: tokenise the typed line and run it.
runline:
                ld de,BINBUF
                ld h,d
                ld l,e
                call crunch
                ld de,BINBUF
                jp stmt

; ---- the line editor ---------------------------------------------------------
; inline: read a line into the buffer at HL, echoing at the cursor; up to
; MAXLINE characters, wrapping onto the next row. Backspace deletes, Enter
; ends the line (0-terminated) and moves to the next row. Ctrl+C gives up
; the line: C set. Characters typed past a full line are shown but not
; kept, and counted in OVERCNT (linechk refuses such a line). Keeps DE.
inline:
                xor a
                ld (OVERCNT),a
                ld b,a
il_key:
                push hl
                ld hl,(CURPOS)
                ld (hl),CURSOR
                call getkey
                ld hl,(CURPOS)
                ld (hl),' '
                pop hl
                cp KEY_CR
                jr z,il_end
                cp KEY_BS
                jr z,il_back
                cp 3
                jr z,il_break
                cp ' '
                jr c,il_key             ; other control codes: nothing
                ld c,a
                ld a,b
                cp MAXLINE
                jr nc,il_over           ; full
                ld (hl),c
                inc hl
                inc b
il_echo:
                ld a,c
                rst R_PUTC
                jr il_key
il_over:
                ld a,(OVERCNT)
                inc a
                jr z,il_key             ; (stops counting at 255)
                ld (OVERCNT),a
                jr il_echo
il_back:
                ld a,(OVERCNT)
                or a
                jr z,il_kept
                dec a
                ld (OVERCNT),a
                jr il_left
il_kept:
                ld a,b
                or a
                jr z,il_key
                dec b
                dec hl
il_left:
                push hl
                ld hl,(CURPOS)
                dec hl
                ld (CURPOS),hl
                ld hl,CURCOL
                ld a,(hl)
                or a
                jr nz,il_col
                ld a,COLS               ; back onto the row above
il_col:
                dec a
                ld (hl),a
                pop hl
                jr il_key
il_break:
                scf
il_end:
                ld (hl),0
                push af
                ld a,b                  ; an empty line moves on a row; a full
                or a                    ; row has already wrapped to the next
                call z,crlf
                call crlf0
                pop af
                ret

; linechk: ?LS ERROR for a line typed past its MAXLINE characters.
linechk:
                ld a,(OVERCNT)
                or a
                ret z
                jp e_ls

; ---- storing a line --------------------------------------------------------------
; storeline: HL = line number, DE = its text. Replaces the line of that
; number, or deletes it when the text is empty. The program is checked
; for room before anything moves, so ?OM leaves it as it was. Storing a
; line clears the variables (strings may point into the program).
storeline:
                push hl
                rst R_GETC
                ld hl,BINBUF
                call crunch             ; HL = its terminator
                ld de,BINBUF
                or a
                sbc hl,de
                ld a,l
                add a,4                 ; + length, number, terminator
                ld (BLINE),a
                pop bc
                ld (BLINE+1),bc
                call findline
                push af                 ; Z: a line of that number is there
                push hl
                ld a,(BLINE)
                jr nz,sl_room
                sub (hl)                ; replacing: only the difference
                jr nc,sl_room
                xor a
sl_room:
                ld l,a
                ld h,0
                ld de,(VARTAB)
                add hl,de
                ld de,HEAPTOP-MINFREE
                call cphlde
                jp nc,e_om
                pop hl
                pop af
                call z,delline
                ld a,(BLINE)
                cp 5
                call nc,insline         ; not when the text is empty
                jp bclear

; delline: take out the line at HL (HL stays).
delline:
                ld e,(hl)
                ld d,0
                push hl
                add hl,de
                ex de,hl                ; DE = the next line
                ld hl,(VARTAB)
                or a
                sbc hl,de
                ld b,h
                ld c,l                  ; from there to the end
                ex de,hl
                pop de
                push de
                ldir
                ld (VARTAB),de
                pop hl
                ret

; insline: put the line in BLINE at HL, moving the rest up.
insline:
                push hl
                ex de,hl
                ld hl,(VARTAB)
                push hl
                or a
                sbc hl,de
                ld b,h
                ld c,l                  ; from there to the end (at least 1)
                ld a,(BLINE)
                ld e,a
                ld d,0
                pop hl
                push hl
                add hl,de
                ld (VARTAB),hl
                dec hl
                ex de,hl                ; DE = the new last byte
                pop hl
                dec hl                  ; HL = the old last byte
                lddr
                pop de
                ld hl,BLINE
                ld c,a
                ld b,0
                ldir
                ret

; findline: BC = line number. HL = the first line with that number or
; above (or the end mark); Z when it has that number. Keeps BC, DE.
findline:
                ld hl,PROGRAM
findfrom:
                ld a,(hl)
                or a
                jr z,fl_end
                push hl
                inc hl
                ld a,(hl)
                inc hl
                ld h,(hl)
                ld l,a
                ld a,l
                sub c
                ld a,h
                sbc a,b
                jr c,fl_next            ; below
                ld a,l
                cp c
                jr nz,fl_found
                ld a,h
                cp b
fl_found:
                pop hl
                ret
fl_next:
                pop hl
                ld a,(hl)
                add a,l
                ld l,a
                jr nc,findfrom
                inc h
                call kpoll              ; the keyboard, every 256 bytes
                jr findfrom
fl_end:
                inc a                   ; NZ
                ret

; ---- tokenising ------------------------------------------------------------------
; crunch: the text at DE, keywords turned into tokens, written to HL
; (HL <= DE, so it can work in place); ends with a 0. Returns HL at the 0.
; Text in quotes, after REM and after DATA (to the next colon) stays as
; typed. Keywords are found in any case and anywhere, as those BASICs did;
; only the few that start with the letter at hand are tried, so each
; character costs little between two looks at the keyboard.
crunch:
                call kpoll
                ld a,(de)
                ld (hl),a
                or a
                ret z
                cp '"'
                jr z,cr_quote
                cp '?'
                jr nz,cr_word
                ld c,TK_PRINT
                inc de
                jr cr_token
cr_word:
                call isalpha
                jr nc,cr_char           ; keywords start with a letter
                push hl
                ld c,a                  ; C = that letter
                ld b,0
                ld hl,kwindex-'A'
                add hl,bc
                cp KWSPLIT
                ld a,(hl)
                ld hl,keywords
                jr c,cr_low
                inc h
cr_low:
                add a,l
                ld l,a
                jr nc,cw_try
                inc h
cw_try:                                 ; the keywords of that letter, in turn
                ld a,(hl)
                cp c
                jr nz,cw_none           ; past them
                push de
cw_char:
                ld a,(de)
                call upper
                ld b,a
                ld a,(hl)
                and 7Fh
                cp b
                jr nz,cw_miss
                bit 7,(hl)              ; the keyword's last character?
                inc hl
                inc de
                jr z,cw_char
                pop af                  ; found: DE is past it
                ld c,(hl)               ; its token
                pop hl
cr_token:
                ld (hl),c
                inc hl
                ld a,c
                cp TK_REM
                jr z,cr_rest
                cp TK_DATA
                jr nz,crunch
cr_data:                                ; DATA: as typed up to a colon
                ld a,(de)
                or a
                jr z,crunch
                cp ':'
                jr z,crunch
                cp '"'
                jr z,cr_dquote
                ld (hl),a
                inc hl
                inc de
                jr cr_data
cr_dquote:
                call cr_str
                jr cr_data
cw_miss:
                bit 7,(hl)              ; skip the rest of the keyword
                inc hl
                jr z,cw_miss
                inc hl                  ; and its token
                pop de
                jr cw_try
cw_none:
                pop hl
cr_char:                                ; no keyword: the character as typed
                ld a,(de)
                ld (hl),a
                inc hl
                inc de
                jr crunch
cr_quote:
                call cr_str
                jr crunch
cr_rest:                                ; REM: the rest as typed
                ld a,(de)
                ld (hl),a
                or a
                ret z
                inc hl
                inc de
                jr cr_rest

; cr_str: copy a quoted text from DE to HL, both quotes included (the
; closing one only when it is there).
cr_str:
                ld a,(de)
                ld (hl),a
                inc hl
                inc de
cs_loop:
                ld a,(de)
                or a
                ret z
                ld (hl),a
                inc hl
                inc de
                cp '"'
                jr nz,cs_loop
                ret

; ---- the statement loop ------------------------------------------------------------
; stmt: run the statement at DE, then the next, until the line or the
; program ends. Statements are called with SP at BSTACK - 2.
stmt:
                ld sp,BSTACK
                call kpoll
                ld a,(BRKFLAG)
                or a
                jp nz,brk
                ld (STMTPTR),de
                ld hl,TEMPST
                ld (TEMPPT),hl
                rst R_GETC
                jr z,st_end
                ld hl,st_next
                push hl
                sub 80h
                jp c,s_let              ; no keyword: an assignment
                cp TK_LASTST-80h+1
                jr nc,e_sn
                inc de
                ld bc,stmttab
                jp jumpvia
st_next:
                rst R_GETC
                jr nz,e_sn              ; something after the statement
st_end:
                ld a,(de)
                inc de
                or a
                jr nz,stmt              ; a colon
                ld a,(CURLINE+1)
                inc a
                jp z,ready              ; the end of a direct line
                ld a,(de)               ; the next line
                or a
                jp z,s_bend             ; the end of the program
                ex de,hl

; goline: run the line at HL from its start.
goline:
                ld (CURLPTR),hl
                inc hl
                ld e,(hl)
                inc hl
                ld d,(hl)
                inc hl
                ld (CURLINE),de
                ex de,hl
                jr stmt

; ---- errors and Break -------------------------------------------------------------
; Each entry loads its two letters; the DD byte after it makes the next
; entry's load one of IX (scratch everywhere), so all fall through to error.
e_sn:           ld hl,'S'+'N'*256
                db 0DDh
e_ul:           ld hl,'U'+'L'*256
                db 0DDh
e_ov:           ld hl,'O'+'V'*256
                db 0DDh
e_dz:           ld hl,'/'+'0'*256
                db 0DDh
e_om:           ld hl,'O'+'M'*256
                db 0DDh
e_nf:           ld hl,'N'+'F'*256
                db 0DDh
e_rg:           ld hl,'R'+'G'*256
                db 0DDh
e_od:           ld hl,'O'+'D'*256
                db 0DDh
e_bs:           ld hl,'B'+'S'*256
                db 0DDh
e_dd:           ld hl,'D'+'D'*256
                db 0DDh
e_tm:           ld hl,'T'+'M'*256
                db 0DDh
e_fc:           ld hl,'F'+'C'*256
                db 0DDh
e_ls:           ld hl,'L'+'S'*256
                db 0DDh
e_uf:           ld hl,'U'+'F'*256
                db 0DDh
e_id:           ld hl,'I'+'D'*256
                db 0DDh
e_cn:           ld hl,'C'+'N'*256

; error: print ?XX ERROR [IN n] and go back to the prompt. The program stays;
; FOR and GOSUB are forgotten and CONT is no longer possible.
error:
                ld sp,BSTACK
                ld a,(HOSTLOAD)         ; LOAD storing a file's lines: the
                or a                    ; host puts the old program back,
                ld (HOSTHL),hl          ; then answers with the error to show
                ld a,1
                jp nz,hostask
                push hl
                call crlf0
                ld a,'?'
                rst R_PUTC
                pop hl
                ld a,l
                rst R_PUTC
                ld a,h
                rst R_PUTC
                ld hl,t_error
                call prstr
                ld hl,0
                ld (CONTPTR),hl
                call clrstack
                jr bk_direct            ; " IN n" when a program ran

; brk: Ctrl+C between statements, or STOP: BREAK [IN n]. CONT goes on at
; the statement after (DE).
brk:
                xor a
                ld (BRKFLAG),a
                call crlf0
                ld hl,t_break
                call prstr
                ld a,(CURLINE+1)
                inc a
                jr z,bk_direct          ; a direct line: nothing to go on with
                ld (CONTPTR),de
                ld hl,(CURLINE)
                ld (CONTLINE),hl
                ld hl,(CURLPTR)
                ld (CONTLPTR),hl
bk_direct:
                call inline_no
                jp ready

; inline_no: " IN n" after a message, when a program line was running.
inline_no:
                ld a,(CURLINE+1)
                inc a
                ret z
                ld hl,t_in
                call prstr
                ld hl,(CURLINE)
                jp prword

; ---- small helpers ----------------------------------------------------------------------
; expect (RST R_EXPECT): the next character (after spaces) must be A;
; ?SN ERROR if it is not. DE goes past it. Keeps BC, HL.
expect:
                push bc
                ld b,a
                rst R_GETC
                cp b
                pop bc
                jp nz,e_sn
                inc de
                ret

; isdigit: C when A is '0'-'9'.
isdigit:
                cp '0'
                ccf
                ret nc
                cp '9'+1
                ret

; isalpha: A in capitals (see upper); C when it is a letter.
isalpha:
                call upper
                cp 'A'
                ccf
                ret nc
                cp 'Z'+1
                ret

; upper: A in capitals when it is a small letter.
upper:
                cp 'a'
                ret c
                cp 'z'+1
                ret nc
                sub 'a'-'A'
                ret

; cphlde: C when HL < DE (unsigned), Z when equal. Keeps everything.
cphlde:
                ld a,h
                cp d
                ret nz
                ld a,l
                cp e
                ret

; getlnum: a line number (0-63999) at DE into HL; ?SN ERROR without one.
getlnum:
                rst R_GETC
                call isdigit
                jp nc,e_sn
                call getword
                jp c,e_sn
                ld a,h
                cp HIGH 64000
                ret c
                jp e_sn
