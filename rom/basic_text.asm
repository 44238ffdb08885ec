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
kw_d:
                defm "DAT"
                defb 'A'+80h, TK_DATA
                defm "DI"
                defb 'M'+80h, TK_DIM
kw_e:
                defm "EN"
                defb 'D'+80h, TK_END
kw_f:
                defm "FO"
                defb 'R'+80h, TK_FOR
                defm "FR"
                defb 'E'+80h, TK_FRE
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
kw_t:
                defm "TAB"
                defb '('+80h, TK_TAB
                defm "T"
                defb 'O'+80h, TK_TO
                defm "THE"
                defb 'N'+80h, TK_THEN
kw_u:
kw_v:
                defm "VA"
                defb 'L'+80h, TK_VAL
kw_w:
kw_x:
kw_y:
kw_z:
                defb 0

; For each letter, where its keywords start in the table.
kwindex:
                defb kw_a-keywords
                defb kw_b-keywords
                defb kw_c-keywords
                defb kw_d-keywords
                defb kw_e-keywords
                defb kw_f-keywords
                defb kw_g-keywords
                defb kw_h-keywords
                defb kw_i-keywords
                defb kw_j-keywords
                defb kw_k-keywords
                defb kw_l-keywords
                defb kw_m-keywords
                defb kw_n-keywords
                defb kw_o-keywords
                defb kw_p-keywords
                defb kw_q-keywords
                defb kw_r-keywords
                defb kw_s-keywords
                defb kw_t-keywords
                defb kw_u-keywords
                defb kw_v-keywords
                defb kw_w-keywords
                defb kw_x-keywords
                defb kw_y-keywords
                defb kw_z-keywords

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

fntab:
                defw fn_abs
                defw fn_sgn
                defw fn_int
                defw fn_peek
                defw fn_fre
                defw fn_rnd
                defw fn_len
                defw fn_asc
                defw fn_val
                defw fn_chr
                defw fn_str
                defw fn_left
                defw fn_right
                defw fn_mid
                defw fn_inkey

; Binary operators: their characters or tokens, the most used first, then
; their precedences, then their operations (0: a relation, worked out by
; relop).
opchars:        defb '=', '+', '-', '<', '>', '*', '/', TK_AND, TK_OR
                defb 4, 5, 5, 4, 4, 6, 6, 2, 1
                defb 0, OP_ADD, OP_SUB, 0, 0, OP_MUL, OP_DIV, OP_AND, OP_OR

; Minus the powers of ten, for printing numbers.
pow10:          defw -10000, -1000, -100, -10, -1

; The value of a variable never assigned: 0, or "".
zeroes:         defb 0, 0, 0

t_basic:        defm "ZORVA BASIC 1.0",KEY_CR,0
t_free:         defm " BYTES FREE",KEY_CR,0
t_ok:           defm "OK",KEY_CR,0
t_error:        defm " ERROR",0
t_in:           defm " IN ",0
t_break:        defm "BREAK",0
t_ask:          defm "? ",0
t_more:         defm "?? ",0
t_redo:         defm "?REDO",KEY_CR,0
