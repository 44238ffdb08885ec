; ===========================================================================
; Zorva BASIC: keywords, tables and messages (data only).
; ===========================================================================

; The keywords, by first letter, each with bit 7 set on its last character
; and followed by its token (80h and up: statements first, in the order of
; stmttab, then the words only found inside statements, then the functions,
; in the order of fntab). The table ends with a 0.
keywords:
kw_a:
                defm "AN"
                defb 'D'+80h, TK_AND
                defm "AB"
                defb 'S'+80h, TK_ABS
                defm "AS"
                defb 'C'+80h, TK_ASC
                defm "AT"
                defb 'N'+80h, TK_ATN
kw_b:
kw_c:
                defm "CON"
                defb 'T'+80h, TK_CONT
                defm "CLEA"
                defb 'R'+80h, TK_CLEAR
                defm "CL"
                defb 'S'+80h, TK_CLS
                defm "CHR"
                defb '$'+80h, TK_CHRS
                defm "CO"
                defb 'S'+80h, TK_COS
                defm "CSAV"
                defb 'E'+80h, TK_CSAVE
                defm "CLOA"
                defb 'D'+80h, TK_CLOAD
kw_d:
                defm "DAT"
                defb 'A'+80h, TK_DATA
                defm "DI"
                defb 'M'+80h, TK_DIM
                defm "DE"
                defb 'F'+80h, TK_DEF
kw_e:
                defm "EN"
                defb 'D'+80h, TK_END
                defm "EX"
                defb 'P'+80h, TK_EXP
kw_f:
                defm "FO"
                defb 'R'+80h, TK_FOR
                defm "FR"
                defb 'E'+80h, TK_FRE
                defm "F"
                defb 'N'+80h, TK_FN
                defm "FILE"
                defb 'S'+80h, TK_FILES
kw_g:
                defm "GOT"
                defb 'O'+80h, TK_GOTO
                defm "GOSU"
                defb 'B'+80h, TK_GOSUB
kw_h:
kw_i:
                defm "INPU"
                defb 'T'+80h, TK_INPUT
                defm "I"
                defb 'F'+80h, TK_IF
                defm "IN"
                defb 'T'+80h, TK_INT
                defm "INKEY"
                defb '$'+80h, TK_INKEYS
kw_j:
kw_k:
kw_l:
                defm "LE"
                defb 'T'+80h, TK_LET
                defm "LIS"
                defb 'T'+80h, TK_LIST
                defm "LE"
                defb 'N'+80h, TK_LEN
                defm "LEFT"
                defb '$'+80h, TK_LEFTS
                defm "LO"
                defb 'G'+80h, TK_LOG
                defm "LOA"
                defb 'D'+80h, TK_LOAD
kw_m:
                defm "MO"
                defb 'N'+80h, TK_MON
                defm "MID"
                defb '$'+80h, TK_MIDS
kw_n:
                defm "NEX"
                defb 'T'+80h, TK_NEXT
                defm "NE"
                defb 'W'+80h, TK_NEW
                defm "NO"
                defb 'T'+80h, TK_NOT
kw_o:
                defm "O"
                defb 'N'+80h, TK_ON
                defm "O"
                defb 'R'+80h, TK_OR
kw_p:
                defm "POK"
                defb 'E'+80h, TK_POKE
                defm "PRIN"
                defb 'T'+80h, TK_PRINT
                defm "PEE"
                defb 'K'+80h, TK_PEEK
kw_q:
kw_r:
                defm "REA"
                defb 'D'+80h, TK_READ
                defm "RU"
                defb 'N'+80h, TK_RUN
                defm "RESTOR"
                defb 'E'+80h, TK_RESTORE
                defm "RETUR"
                defb 'N'+80h, TK_RETURN
                defm "RE"
                defb 'M'+80h, TK_REM
                defm "RN"
                defb 'D'+80h, TK_RND
                defm "RIGHT"
                defb '$'+80h, TK_RIGHTS
kw_s:
                defm "SAV"
                defb 'E'+80h, TK_SAVE
                defm "SPC"
                defb '('+80h, TK_SPC
                defm "STO"
                defb 'P'+80h, TK_STOP
                defm "STE"
                defb 'P'+80h, TK_STEP
                defm "SG"
                defb 'N'+80h, TK_SGN
                defm "STR"
                defb '$'+80h, TK_STRS
                defm "SQ"
                defb 'R'+80h, TK_SQR
                defm "SI"
                defb 'N'+80h, TK_SIN
kw_t:
                defm "TAB"
                defb '('+80h, TK_TAB
                defm "T"
                defb 'O'+80h, TK_TO
                defm "THE"
                defb 'N'+80h, TK_THEN
                defm "TA"
                defb 'N'+80h, TK_TAN
kw_u:
kw_v:
                defm "VA"
                defb 'L'+80h, TK_VAL
kw_w:
kw_x:
kw_y:
kw_z:
                defb 0

; For each letter, where its keywords start in the table, as an offset
; that drops its 256 from the letter KWSPLIT on (crunch adds it back).
KWSPLIT         equ 'T'
kwindex:
                defb LOW (kw_a-keywords)
                defb LOW (kw_b-keywords)
                defb LOW (kw_c-keywords)
                defb LOW (kw_d-keywords)
                defb LOW (kw_e-keywords)
                defb LOW (kw_f-keywords)
                defb LOW (kw_g-keywords)
                defb LOW (kw_h-keywords)
                defb LOW (kw_i-keywords)
                defb LOW (kw_j-keywords)
                defb LOW (kw_k-keywords)
                defb LOW (kw_l-keywords)
                defb LOW (kw_m-keywords)
                defb LOW (kw_n-keywords)
                defb LOW (kw_o-keywords)
                defb LOW (kw_p-keywords)
                defb LOW (kw_q-keywords)
                defb LOW (kw_r-keywords)
                defb LOW (kw_s-keywords)
                defb LOW (kw_t-keywords)
                defb LOW (kw_u-keywords)
                defb LOW (kw_v-keywords)
                defb LOW (kw_w-keywords)
                defb LOW (kw_x-keywords)
                defb LOW (kw_y-keywords)
                defb LOW (kw_z-keywords)
                if kw_s-keywords > 255
                .error The keywords before KWSPLIT have passed 255 bytes
                endif
                if kw_t-keywords < 256
                .error KWSPLIT must be the first letter past 255 bytes
                endif
                if kw_z-keywords > 511
                .error The keywords have passed 511 bytes
                endif

stmttab:
                defw s_bend
                defw s_for
                defw s_next
                defw s_data
                defw s_input
                defw s_dim
                defw s_read
                defw s_let
                defw s_goto
                defw s_run
                defw s_if
                defw s_restore
                defw s_gosub
                defw s_return
                defw s_rem
                defw s_stop
                defw s_on
                defw s_poke
                defw s_print
                defw s_cont
                defw s_list
                defw s_clear
                defw s_new
                defw s_cls
                defw s_mon
                defw s_def
                defw s_file             ; SAVE
                defw s_file             ; LOAD
                defw s_file             ; FILES
                defw s_file             ; CSAVE
                defw s_file             ; CLOAD

fntab:
                defw fabs
                defw fsgn
                defw fint
                defw fn_peek
                defw fn_fre
                defw frnd
                defw fn_len
                defw fn_asc
                defw fn_val
                defw fn_chr
                defw fn_str
                defw fn_left
                defw fn_right
                defw fn_mid
                defw fn_inkey
                defw fsqr
                defw fsin
                defw fcos
                defw ftan
                defw fatn
                defw flog
                defw fexp
                defw fn_fn

; The arithmetic operations, OP_ADD to OP_POW.
optab:          defw fadd, fsub, fmul, fdiv, fpow

; Binary operators: their characters or tokens, the most used first, then
; their precedences, then their operations (0: a relation, worked out by
; relop).
opchars:        defb '=', '+', '-', '<', '>', '*', '/', '^', TK_AND, TK_OR
                defb 4, 5, 5, 4, 4, 6, 6, 8, 2, 1
                defb 0, OP_ADD, OP_SUB, 0, 0, OP_MUL, OP_DIV, OP_POW, OP_AND, OP_OR

; Minus the powers of ten, for printing line numbers.
pow10:          defw -10000, -1000, -100, -10, -1

; The value of a variable never assigned: 0, or "".
zeroes:         defb 0, 0, 0, 0

; What the host needs to serve SAVE, LOAD and FILES (basic_files.asm),
; followed by the banner, which hostask copies after it as the signature.
hostinfo:
                defw PROGRAM, keywords
                defw INPBUF             ; a buffer for a line or a text,
                defb MAXLINE            ; this long
                defb TK_SAVE            ; the first of the five statements
                defw BVARS, HEAPTOP     ; what a LOAD that fails puts back
                defw hf_done, prstr, getkey, storeline, bnew, rn_all, error, ready
t_basic:        defm "ZORVA BASIC 2.0",KEY_CR,0
HOSTINFOLEN     equ $-1-hostinfo        ; up to the banner's KEY_CR
t_free:         defm " BYTES FREE",KEY_CR,0
t_ok:           defm "OK",KEY_CR,0
t_error:        defm " ERROR",0
t_in:           defm " IN ",0
t_break:        defm "BREAK",0
t_ask:          defm "? ",0
t_more:         defm "?? ",0
t_redo:         defm "?REDO",KEY_CR,0
