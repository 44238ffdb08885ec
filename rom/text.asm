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
                defm " D [addr [count]]  dump memory",KEY_CR
                defm " M addr bb [bb..]  modify memory",KEY_CR
                defm " F addr count bb   fill memory",KEY_CR
                defm " G addr            call, RET comes back",KEY_CR
                defm " O port bb         output to a port",KEY_CR
                defm " C                 character set",KEY_CR
                defm " P                 colour pairs",KEY_CR
                defm " X                 clear screen",KEY_CR
                defm " H                 this help",KEY_CR
                defm " B                 back to BASIC",KEY_CR
                defm "Free RAM: 6000-BFFF",0

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
