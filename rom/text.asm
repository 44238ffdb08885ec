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
                defm "Free RAM: 3A00-BFFF",0

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

; Characters by key index (column * 6 + row). Columns in scan order FE, FD,
; FB, F7, EF, DF, BF, 7F; rows bit 0 to bit 5. The last two positions of
; column 7F are Shift and Ctrl and give no character.
keys_plain:     defb '=', KEY_BS, '`', KEY_CR, ';', '.'
                defb '-', '/', '0', 'p', 'l', ','
                defb '9', 'o', 'k', 'm', 'n', 'j'
                defb '8', 'i', '7', 'u', 'h', 'b'
                defb '6', 'y', 'g', 'v', 'c', 'f'
                defb '5', 't', '4', 'r', 'd', 'x'
                defb '3', 'e', 's', 'z', ' ', 'a'
                defb '2', 'w', '1', 'q', 0, 0

keys_shift:     defb '+', KEY_BS, '~', KEY_CR, ':', '>'
                defb '_', '?', ')', 'P', 'L', '<'
                defb '(', 'O', 'K', 'M', 'N', 'J'
                defb '*', 'I', "'", 'U', 'H', 'B'
                defb '^', 'Y', 'G', 'V', 'C', 'F'
                defb '%', 'T', '$', 'R', 'D', 'X'
                defb '#', 'E', 'S', 'Z', ' ', 'A'
                defb '"', 'W', '!', 'Q', 0, 0

; With Ctrl: pairs of key index and character, ending with 0FFh. C gives 3,
; which is Break.
keys_ctrl:      defb 42, '@', 20, '&', 12, '[', 8, ']', 11, '{', 5, '}'
                defb 7, 5Ch, 6, '|', 28, 3, 3, KEY_CR, 1, KEY_BS, 0FFh
