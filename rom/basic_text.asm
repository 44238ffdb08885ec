; ===========================================================================
; Zorva BASIC: keywords, tables and messages (data only).
; ===========================================================================

; The keywords, in token order from 80h; the last character of each has
; bit 7 set. Statements first (their tokens index stmttab), then the words
; that only appear inside statements, then the functions (fntab).
keywords:
                defm "EN"
                defb 'D'+80h
                defm "FO"
                defb 'R'+80h
                defm "NEX"
                defb 'T'+80h
                defm "DAT"
                defb 'A'+80h
                defm "INPU"
                defb 'T'+80h
                defm "DI"
                defb 'M'+80h
                defm "REA"
                defb 'D'+80h
                defm "LE"
                defb 'T'+80h
                defm "GOT"
                defb 'O'+80h
                defm "RU"
                defb 'N'+80h
                defm "I"
                defb 'F'+80h
                defm "RESTOR"
                defb 'E'+80h
                defm "GOSU"
                defb 'B'+80h
                defm "RETUR"
                defb 'N'+80h
                defm "RE"
                defb 'M'+80h
                defm "STO"
                defb 'P'+80h
                defm "O"
                defb 'N'+80h
                defm "POK"
                defb 'E'+80h
                defm "PRIN"
                defb 'T'+80h
                defm "CON"
                defb 'T'+80h
                defm "LIS"
                defb 'T'+80h
                defm "CLEA"
                defb 'R'+80h
                defm "NE"
                defb 'W'+80h
                defm "CL"
                defb 'S'+80h
                defm "MO"
                defb 'N'+80h
                defm "T"
                defb 'O'+80h
                defm "THE"
                defb 'N'+80h
                defm "STE"
                defb 'P'+80h
                defm "NO"
                defb 'T'+80h
                defm "AN"
                defb 'D'+80h
                defm "O"
                defb 'R'+80h
                defm "AB"
                defb 'S'+80h
                defm "SG"
                defb 'N'+80h
                defm "IN"
                defb 'T'+80h
                defm "PEE"
                defb 'K'+80h
                defm "FR"
                defb 'E'+80h
                defm "RN"
                defb 'D'+80h
                defm "LE"
                defb 'N'+80h
                defm "AS"
                defb 'C'+80h
                defm "VA"
                defb 'L'+80h
                defm "CHR"
                defb '$'+80h
                defm "STR"
                defb '$'+80h
                defm "LEFT"
                defb '$'+80h
                defm "RIGHT"
                defb '$'+80h
                defm "MID"
                defb '$'+80h
                defm "INKEY"
                defb '$'+80h
                defb 0

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

; Binary operators: character or token, precedence, operation (0: a
; relation, worked out by relop).
optab:          defb '+',5,OP_ADD, '-',5,OP_SUB, '*',6,OP_MUL, '/',6,OP_DIV
                defb TK_AND,2,OP_AND, TK_OR,1,OP_OR
                defb '<',4,0, '=',4,0, '>',4,0
                defb 0

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
