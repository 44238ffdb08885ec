; ===========================================================================
; Zorva BASIC: the statements.
;
; Each is entered with DE just past its keyword and returns with DE at the
; end of the statement; the statement loop then checks that nothing else
; follows. Those that go elsewhere (GOTO, NEXT, RETURN, ...) jump to stmt or
; goline instead.
;
; FOR and GOSUB keep their frames on a stack of their own (CSBOT-CSTOP),
; so that CONT after STOP or Break finds them again, even after a visit to
; the monitor. A frame is a type byte (the keyword's token) and then:
;   FOR:   variable (2), step (4), limit (4), then the resume point
;   GOSUB: the resume point
; where the resume point is the text pointer, the line number and the line's
; address (6 bytes). A full stack is ?OM ERROR.
; ===========================================================================

; LET name = expression (the keyword may be left out).
s_let:
                call getvarw
                ld a,'='
                rst R_EXPECT
; setval: evaluate the expression at DE into the variable at HL, whose type
; is in VALTYP; ?TM ERROR when the types differ.
setval:
                ld a,(VALTYP)
                push af
                push hl
                call eval
                pop bc
                pop af
                push de
                ld d,b
                ld e,c
                ld b,a
                ld a,(VALTYP)
                cp b
                jp nz,e_tm
                call store
                pop de
                ret

; store: the value (FAC, or the string descriptor at HL, by VALTYP) into
; the variable at DE.
store:
                ld a,(VALTYP)
                or a
                jp nz,strset
                ex de,hl
                call fsthl
                ex de,hl
                ret

; PRINT [item][; or , item]...: ; keeps printing on, a comma moves to the
; next 14-column zone, and a final ; or , leaves the line open.
s_print:
                rst R_GETC
                jr z,crlf
pr_item:
                cp ';'
                jr z,pr_semi
                cp ','
                jr z,pr_comma
                cp TK_TAB
                jr z,pr_tab
                cp TK_SPC
                jr z,pr_spc
                call eval
                ld a,(VALTYP)
                or a
                jr nz,pr_str
                call numstr
                call prstr
                ld a,' '
                rst R_PUTC
                jr pr_after
pr_str:
                call prstrd
pr_after:
                rst R_GETC
                jr nz,pr_item
; crlf: move to the start of the next row.
crlf:
                ld a,KEY_CR
                rst R_PUTC
                ret
; TAB(n) prints n - c spaces when the cursor's column c is below n (they
; wrap onto the next row like any others); SPC(n) prints n spaces.
pr_tab:
                call pr_arg
                ld hl,CURCOL
                sub (hl)
                jr c,pr_after           ; already past it
                jr pr_count
pr_spc:
                call pr_arg
pr_count:
                ld b,a
                inc b
ps_pad:
                dec b
                jr z,pr_after
                ld a,' '
                rst R_PUTC
                jr ps_pad
pr_arg:
                inc de
                call evalbyte
                push af
                ld a,')'
                rst R_EXPECT
                pop af
                ret
pr_semi:
                inc de
pr_next:
                rst R_GETC
                ret z
                jr pr_item
pr_comma:
                inc de
                ld a,(CURCOL)
                ld b,ZONE
                cp b
                jr c,pc_pad
                ld b,2*ZONE
                cp b
                jr c,pc_pad
                call crlf
                jr pr_next
pc_pad:
                ld a,' '
                rst R_PUTC
                ld a,(CURCOL)
                cp b
                jr c,pc_pad
                jr pr_next

; crlf0: a new row unless the cursor is at the start of one.
crlf0:
                ld a,(CURCOL)
                or a
                ret z
                jr crlf

; INPUT ["prompt";] name[, name]...
s_input:
                rst R_GETC
                cp '"'
                jr nz,ip_vars
                call strlit
                call prstrd
                rst R_GETC
                cp ','
                jr z,ip_sep
                ld a,';'
                rst R_EXPECT
                dec de
ip_sep:
                inc de
ip_vars:
                ld (INPVARS),de
                ld hl,t_ask
ip_ask:
                call prstr
                call ipline
ip_var:
                call getvarw
                push de
                push hl
                ld de,(INPPTR)
                ld a,(de)
                or a
                jr nz,ip_item
                ld hl,t_more            ; more variables than answers
                call prstr
                call ipline
                ld de,INPBUF
ip_item:
                call item
                jr c,ip_redo
                ld a,(de)
                cp ','
                jr nz,ip_put
                inc de
ip_put:
                ld (INPPTR),de
                pop de
                call store
                pop de
                rst R_GETC
                cp ','
                ret nz
                inc de
                jr ip_var
ip_redo:
                pop hl
                pop hl
                ld hl,t_redo
                call prstr
                ld de,(INPVARS)
                ld hl,t_ask
                jr ip_ask

; ipline: read an answer into INPBUF; Ctrl+C breaks into the program
; (CONT asks again).
ipline:
                push de
                ld hl,INPBUF
                ld (INPPTR),hl
                call inline
                pop de
                jp nc,linechk
                ld de,(STMTPTR)
                jp brk

; IF condition THEN line | statements, or IF condition GOTO line. When the
; condition is 0 the rest of the line is skipped.
s_if:
                rst R_EVALNUM
                ld a,(FAC_EXP)          ; 0 only for the number 0
                or a
                push af
                rst R_GETC
                cp TK_GOTO
                jr z,if_goto
                ld a,TK_THEN
                rst R_EXPECT
                pop af
                jr z,if_false
                rst R_GETC
                call isdigit
                jr c,s_goto
                jp stmt
if_goto:
                inc de
                pop af
                jr nz,s_goto
if_false:
                ld a,(de)
                or a
                jp z,st_end
                inc de
                jr if_false

; GOTO line
s_goto:
                call getlnum
goto_hl:
                call golnum
                jp goline

; golnum: the line numbered HL: HL = its address; ?UL ERROR when there is
; none. A line after the current one is looked for from there.
golnum:
                ld b,h
                ld c,l
                ld hl,(CURLINE)         ; FFFF while direct: from the start
                ld a,l
                sub c
                ld a,h
                sbc a,b
                ld hl,PROGRAM
                jr nc,gl_find
                ld hl,(CURLPTR)
gl_find:
                call findfrom
                ret z
                jp e_ul

; GOSUB line
s_gosub:
                call getlnum
gosub_hl:
                push hl
                call golnum             ; ?UL ERROR before anything changes
                ld c,GOSIZE
                call cspush
                ld (hl),TK_GOSUB
                inc hl
                call putresume
                pop hl
                jr goto_hl

; putresume: the resume point (DE, the line, its address) at HL.
putresume:
                ld bc,(CURLINE)
                call stdebc
                inc hl
                ld bc,(CURLPTR)
                ld (hl),c
                inc hl
                ld (hl),b
                ret

; resume: go on at the resume point at HL.
resume:
                ld e,(hl)
                inc hl
                ld d,(hl)
                inc hl
                ld c,(hl)
                inc hl
                ld b,(hl)
                inc hl
                ld (CURLINE),bc
                call loadhl
                ld (CURLPTR),hl
                jp stmt

; RETURN: back after the newest GOSUB, leaving the FOR loops inside it.
s_return:
                call endst
                ld hl,(CSP)
rt_loop:
                call csend
                jp z,e_rg
                ld a,(hl)
                ld bc,GOSIZE
                cp TK_GOSUB
                jr z,rt_found
                ld bc,FORSIZE
                add hl,bc
                jr rt_loop
rt_found:
                push hl
                add hl,bc
                ld (CSP),hl
                pop hl
                inc hl
                jr resume

; csend: Z when HL is at the bottom of the FOR/GOSUB stack. Keeps HL.
csend:
                push de
                ld de,CSTOP
                call cphlde
                pop de
                ret

; cspush: C more bytes on the FOR/GOSUB stack; HL = them.
cspush:
                ld hl,(CSP)
                ld a,l
                sub c
                ld l,a
                ld a,h
                sbc a,0
                ld h,a
                push de
                ld de,CSBOT
                call cphlde
                pop de
                jp c,e_om
                ld (CSP),hl
                ret

; ON expression GOTO|GOSUB line[, line]...: the n-th line; nothing when
; there is no n-th.
s_on:
                call evalint
                rst R_GETC
                cp TK_GOTO
                jr z,on_list
                cp TK_GOSUB
                jp nz,e_sn
on_list:
                inc de
                push af
                ld a,h
                or a
                jr nz,on_none
                ld b,l
on_pick:
                dec b
                jr z,on_this
                inc b
                jr z,on_none            ; 0
                push bc
                call getlnum
                pop bc
                rst R_GETC
                cp ','
                jr nz,on_none
                inc de
                dec b
                jr on_pick
on_this:
                call getlnum
on_skip:
                rst R_GETC
                jr z,on_go
                inc de
                jr on_skip
on_go:
                pop af
                cp TK_GOSUB
                jp z,gosub_hl
                jp goto_hl
on_none:
                pop af
; data: skip to the end of the statement (DATA is only read by READ).
s_data:
                ld a,(de)
                or a
                ret z
                cp ':'
                ret z
                inc de
                cp '"'
                jr nz,s_data
dt_quote:
                ld a,(de)
                or a
                ret z
                inc de
                cp '"'
                jr nz,dt_quote
                jr s_data

; FOR name = start TO limit [STEP step]. The body runs at least once; a FOR
; of a variable that already has a loop open replaces it.
s_for:
                call simplevar
                call numchk
                push hl
                ld a,'='
                rst R_EXPECT
                rst R_EVALNUM
                pop hl
                push hl
                call fsthl              ; the variable starts
                ld a,TK_TO
                rst R_EXPECT
                rst R_EVALNUM
                ld hl,FORLIM
                call fsthl
                call fone
                rst R_GETC
                cp TK_STEP
                jr nz,fr_step
                inc de
                rst R_EVALNUM
fr_step:
                ld hl,FORSTEP
                call fsthl
                rst R_GETC
                jp nz,e_sn
                pop hl
                push hl
                call forfind
                jr nz,fr_new
                ld bc,FORSIZE           ; drop it and the loops inside it
                add hl,bc
                ld (CSP),hl
fr_new:
                ld c,FORSIZE
                call cspush
                ld (hl),TK_FOR
                inc hl
                pop bc
                ld (hl),c               ; the variable
                inc hl
                ld (hl),b
                inc hl
                ex de,hl
                push hl
                ld hl,FORSTEP           ; the step and the limit
                ld bc,8
                ldir
                ex de,hl
                pop de
                jp putresume            ; the text after the FOR statement

; forfind: the FOR frame of the variable at HL, looking from the newest
; frame through FOR frames only. Z and HL = the frame when found.
forfind:
                push de
                ex de,hl
                ld hl,(CSP)
ff_loop:
                call csend
                jr z,ff_none
                ld a,(hl)
                cp TK_FOR
                jr nz,ff_none
                inc hl
                ld a,(hl)
                inc hl
                cp e
                jr nz,ff_next
                ld a,(hl)
                cp d
                jr z,ff_hit
ff_next:
                ld bc,FORSIZE-2
                add hl,bc
                jr ff_loop
ff_hit:
                dec hl
                dec hl
                pop de
                ret
ff_none:
                ld a,1
                or a
                pop de
                ret

; NEXT [name[, name]...]: step the loop; go round again unless the variable
; has passed the limit: gone above it counting up (STEP 0 or more), below it
; counting down.
s_next:
                rst R_GETC
                jr nz,nx_var
                ld hl,(CSP)
                call csend
                jp z,e_nf
                ld a,(hl)
                cp TK_FOR
                jp nz,e_nf
                jr nx_go
nx_var:
                call simplevar
                call forfind
                jp nz,e_nf
                ld (CSP),hl             ; the loops inside it are done
nx_go:
                ld (NXFRAME),hl
                push de
                inc hl
                call loadhl             ; the variable
                push hl
                call fldhl
                ld hl,(NXFRAME)
                ld bc,3
                add hl,bc
                call fldarg             ; the step
                call fadd
                pop hl
                call fsthl
                ld hl,(NXFRAME)
                ld bc,7
                add hl,bc
                call fldarg             ; the limit
                call fcmp               ; 1: limit below the variable
                ld hl,(NXFRAME)
                ld bc,5                 ; the step's sign
                add hl,bc
                bit 7,(hl)
                jr z,nx_up
                cp 4
                jr z,nx_done
                jr nx_again
nx_up:
                cp 1
                jr z,nx_done
nx_again:
                pop de
                ld hl,(NXFRAME)
                ld bc,11
                add hl,bc
                jp resume
nx_done:
                pop de
                ld hl,(NXFRAME)
                ld bc,FORSIZE
                add hl,bc
                ld (CSP),hl
                rst R_GETC
                cp ','
                ret nz
                inc de
                jr nx_var

; RUN [line]
s_run:
                rst R_GETC
                jr z,rn_all
                call getlnum
                call endst
                push hl
                call bclear
                pop hl
                jp goto_hl
rn_all:
                call bclear
                ld hl,(RNDSEED)         ; RND goes on from the keyboard's timing
                call frndmix
                ld hl,PROGRAM
                ld a,(hl)
                or a
                jp z,ready
                jp goline

; END, and the end of the program.
s_bend:
                call endst
                ld hl,0
                ld (CONTPTR),hl
                jp ready

; STOP: as Ctrl+C.
s_stop:
                call endst
                jp brk

; CONT: go on after STOP or Break.
s_cont:
                call endst
                ld hl,(CONTPTR)
                ld a,h
                or l
                jp z,e_cn
                ex de,hl
                ld hl,0
                ld (CONTPTR),hl
                ld hl,(CONTLINE)
                ld (CURLINE),hl
                ld hl,(CONTLPTR)
                ld (CURLPTR),hl
                jp stmt

; LIST [from][-[to]]
s_list:
                ld hl,0
                ld bc,0FFFFh
                rst R_GETC
                call isdigit
                jr nc,ls_dash
                call getlnum
                ld b,h
                ld c,l
ls_dash:
                rst R_GETC
                cp '-'
                jr nz,ls_go
                inc de
                ld bc,0FFFFh
                rst R_GETC
                call isdigit
                jr nc,ls_go
                push hl
                call getlnum
                ld b,h
                ld c,l
                pop hl
ls_go:
                ld (LISTTO),bc
                ld b,h
                ld c,l
                call findline
ls_loop:
                ld a,(BRKFLAG)
                or a
                jp nz,brk
                ld a,(hl)
                or a
                ret z
                push hl
                inc hl
                call loadhl
                ld b,h
                ld c,l
                ld hl,(LISTTO)
                ld a,l
                sub c
                ld a,h
                sbc a,b
                pop hl
                ret c                   ; past the last one asked for
                call listline
                jr ls_loop

; listline: print the line at HL as it was typed, keywords in capitals;
; HL = the next line.
listline:
                push hl
                inc hl
                call loadhl
                call prword
                ld a,' '
                rst R_PUTC
                pop hl
                push hl
                inc hl
                inc hl
                inc hl
ll_loop:
                ld a,(hl)
                or a
                jr z,ll_end
                cp 80h
                jr c,ll_char
                call prtoken
                jr ll_next
ll_char:
                rst R_PUTC
ll_next:
                inc hl
                jr ll_loop
ll_end:
                call crlf
                pop hl
                ld a,(hl)
                add a,l
                ld l,a
                ret nc
                inc h
                ret

; prtoken: print the keyword of token A ("?" for a byte that is none).
prtoken:
                push hl
                push bc
                ld c,a
                ld hl,keywords
pt_find:
                ld a,(hl)
                or a
                ld a,'?'
                jr z,pt_put
                push hl
pt_end:
                bit 7,(hl)
                inc hl
                jr z,pt_end
                ld a,(hl)               ; its token
                inc hl
                cp c
                jr z,pt_found
                pop af
                jr pt_find
pt_found:
                pop hl
pt_char:
                ld a,(hl)
                and 7Fh
                rst R_PUTC
                bit 7,(hl)
                inc hl
                jr z,pt_char
                jr pt_done
pt_put:
                rst R_PUTC
pt_done:
                pop bc
                pop hl
                ret

; POKE address, byte
s_poke:
                rst R_EVALNUM
                call facaddr
                call commabyte
                ld (hl),a
                ret

; READ name[, name]...: the next DATA items, in program order.
s_read:
                call getvarw
                push hl
                push de
                ld de,(DATPTR)
                call dataitem
                call item
                jp c,e_sn
                ld (DATPTR),de
                pop de
                ex (sp),hl
                ex de,hl
                ex (sp),hl
                call store
                pop de
                rst R_GETC
                cp ','
                ret nz
                inc de
                jr s_read

; dataitem: DE = DATPTR; DE = the next item's start. ?OD ERROR when the
; program has no more.
dataitem:
                ld a,d
                or e
                jr z,di_first
                ld a,(de)
                cp ','
                jr nz,di_scan
                inc de
                ret
di_first:
                ld hl,PROGRAM
                jr di_line
di_scan:
                ld a,(de)
                or a
                jr z,di_eol
                inc de
                cp TK_DATA
                ret z
                ld a,e                  ; the keyboard, every 256 bytes
                or a
                call z,kpoll
                jr di_scan
di_eol:
                inc de
                ex de,hl
di_line:
                ld a,(hl)
                or a
                jp z,e_od
                inc hl
                inc hl
                inc hl
                ex de,hl
                jr di_scan

; RESTORE: READ starts again at the first DATA.
s_restore:
                ld hl,0
                ld (DATPTR),hl
                ret

; REM: the rest of the line is a remark.
s_rem:
                ld a,(de)
                or a
                ret z
                inc de
                jr s_rem

; CLEAR [n[, m]]: forget the variables, arrays, strings, FOR and GOSUB.
; Numbers after it (string space sizes elsewhere) are allowed and ignored.
s_clear:
                rst R_GETC
                jr z,bclear
                rst R_EVALNUM
                rst R_GETC
                cp ','
                jr nz,bclear
                inc de
                jr s_clear

; NEW: forget the program too.
s_new:
                call endst
                call bnew
                jp ready

bnew:
                xor a
                ld (PROGRAM),a
                ld hl,PROGRAM+1
                ld (VARTAB),hl
bclear:
                ld hl,(VARTAB)
                ld (ARYTAB),hl
                ld (STREND),hl
                ld hl,HEAPTOP
                ld (FRETOP),hl
                ld hl,0
                ld (DATPTR),hl
                ld (CONTPTR),hl
                ld hl,TEMPST
                ld (TEMPPT),hl
clrstack:
                ld hl,CSTOP
                ld (CSP),hl
                ret

; CLS
s_cls             equ bcls

; DEF FNname(parameter) = expression: defines a function of one number.
; The function is a variable of its own (its name with bit 7 of the first
; byte set) holding the address of the expression and the parameter's
; name; the parameter is made here, so that no variable is made while an
; expression is being worked out. Only in a program: ?ID ERROR in a direct line.
s_def:
                ld a,(CURLINE+1)
                inc a
                jp z,e_id
                ld a,TK_FN
                rst R_EXPECT
                call fnname
                push bc
                ld a,'('
                rst R_EXPECT
                call getname            ; the parameter
                call numchk
                push bc
                call findvar
                call c,newvar
                ld a,')'
                rst R_EXPECT
                ld a,'='
                rst R_EXPECT
                pop hl                  ; the parameter's name
                pop bc                  ; the function's
                push hl
                call findvar
                call c,newvar
                pop bc
                call stdebc             ; where the expression is, the parameter
                jp s_data               ; the rest of the statement is not run

; fnname: the name of a function after FN, at DE, into BC; ?SN ERROR
; without one, ?TM ERROR for a string name.
fnname:
                call getname
                call numchk
                set 7,b
                ret

; fn_fn: FNname(x): the function's expression worked out with its
; parameter set to x; the parameter's own value is put back after.
; ?UF ERROR for a function never defined.
fn_fn:
                call fnname
                call findvar
                jp c,e_uf
                push hl
                call numparen           ; the argument
                pop hl
                ld c,(hl)
                inc hl
                ld b,(hl)
                inc hl
                push bc                 ; the expression
                ld c,(hl)
                inc hl
                ld b,(hl)
                call findvar            ; the parameter (made by DEF)
                jp c,e_uf
                pop bc
                push de                 ; the text after the call
                push hl
                ld e,(hl)
                inc hl
                ld d,(hl)
                inc hl
                push de                 ; the parameter's value, 4 bytes
                ld e,(hl)
                inc hl
                ld d,(hl)
                push de
                push bc
                dec hl
                dec hl
                dec hl
                call fsthl
                pop de
                rst R_EVALNUM
                pop bc
                pop de
                pop hl
                call stdebc
                pop de
                ret

; stdebc: E, D, C, B into the 4 bytes at HL; HL at the last.
stdebc:
                ld (hl),e
                inc hl
                ld (hl),d
                inc hl
                ld (hl),c
                inc hl
                ld (hl),b
                ret

; MON: the monitor; its B comes back.
s_mon:
                call endst
                jp warm

; endst: ?SN ERROR unless the statement ends here.
endst:
                rst R_GETC
                ret z
                jp e_sn
