; ===========================================================================
; The keyboard layout (data only): the character of every key, alone, with
; Shift and with Ctrl.
; ===========================================================================

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
