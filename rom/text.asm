; ===========================================================================
; Texts and tables. Lines of multi-line texts are separated by KEY_CR and
; each must fit one row (40 characters).
; ===========================================================================

cartsig:        defm "ZORVA"

;                         1111111111222222222233333333334
;                1234567890123456789012345678901234567890
t_banner:       defm " ZORVA MONITOR 1.0                      "

t_hint:         defm "Type H for help.",0

t_syntax:       defm "?SYNTAX",0
t_number:       defm "?BAD NUMBER",0
t_protect:      defm "?PROTECTED",0

t_chead:        defm "      0 1 2 3 4 5 6 7 8 9 A B C D E F",0
t_phead:        defm "FG/BG 0 1 2 3 4 5 6 7 8 9 A B C D E F",0

t_help:         defm "Commands, numbers in hex:",KEY_CR
                defm " D [addr [n]] dump  M addr bb.. modify",KEY_CR
                defm " F addr n bb  fill  G addr      call",KEY_CR
                defm " O port bb    out   C characters",KEY_CR
                defm " P colours  X clear  H help  B BASIC",0

; Command letter and handler; a 0 ends the table.
cmdtab:         defb 'D'
                defw cmd_d
                defb 'M'
                defw cmd_m
                defb 'F'
                defw cmd_f
                defb 'G'
                defw cmd_g
                defb 'O'
                defw cmd_o
                defb 'C'
                defw cmd_c
                defb 'P'
                defw cmd_p
                defb 'X'
                defw cmd_x
                defb 'H'
                defw cmd_h
                defb 'B'
                defw cmd_b
                defb 0
