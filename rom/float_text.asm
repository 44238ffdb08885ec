; Numbers as text for Zorva BASIC: fin reads a number's text into FAC, fout
; writes FAC as BASIC prints it into FOUTBUF. Built on float.asm.
;
; Both scale by a power of ten from one table (fx_pow_data, 10^-48..10^45 to
; 32 bits) in one multiplication, within about 2^-31 of the exact product, and
; round once: fin is correctly rounded except within about 2^-31 of a halfway
; point (it keeps 9 significant digits and drops the rest), fout's 6 digits
; are exact unless the value lies that near a rounding boundary.

FX_M            equ FP_TX           ; 4: the significant digits as a whole number
FX_D            equ FP_TX+4         ; 2: the decimal exponent of FX_M
FX_N            equ FP_TX+6         ; significant digits taken
FX_SG           equ FP_TX+7         ; the sign, bit 7
FX_PT           equ FP_TX+8         ; 1 after the point
FX_E            equ FP_TX+9         ; 2: the value after E
FX_ES           equ FP_TX+11        ; 1 when E has a minus
FX_X            equ FP_TX+12        ; fx_scale: the operand's exponent
FX_V            equ FP_TX+13        ; 6: fout's value, kept while it tries k
FX_K            equ FP_TX+19        ; 2: fout's power of ten
FX_DG           equ FP_TX+21        ; 6: fout's digits
FX_SV           equ FP_TX+27        ; 1 once fout has stepped k up

; fin: FAC := the number whose text DE points at; DE moves past it. Whole
; numbers up to 65535 take a short way (0..99 from a table, the rest through
; fltuns). An E followed by no digit is left unread. ?OV when too big; too
; small gives 0. Changes A, BC, HL, IX.
fin:    ld a,(de)
        sub '0'
        cp 10
        jp nc,fin_full
        push de                     ; the start, should the number go on
        ld l,a
        inc de
        ld a,(de)
        sub '0'
        cp 10
        jr nc,fin_small
        ld c,a
        ld a,l
        add a,a
        add a,a
        add a,l
        add a,a
        add a,c
        ld l,a
        inc de
        ld a,(de)
        sub '0'
        cp 10
        jr c,fin_more
fin_small:
        ld a,(de)                   ; 0..99 in L: from a table
        cp '.'
        jr c,fin_sok                ; below '.': an end for sure
        jr z,fin_slow
        cp 'E'
        jr z,fin_slow
        cp 'e'
        jr z,fin_slow
fin_sok:
        pop af
        ld h,0
        add hl,hl
        ld bc,fin_small_data
        add hl,bc
        ld a,(hl)
        ld (FAC+3),a
        inc hl
        ld a,(hl)
        ld (FAC_EXP),a
        xor a
        ld (FAC),a
        ld (FAC+1),a
        ld (FAC+2),a
        ld (FAC_SGN),a
        ret
fin_more:
        ld h,0                      ; a third digit: 16 bits, up to 65535
        ld b,3
        jr fin_fdig
fin_fast:
        inc de
        ld a,(de)
        sub '0'
        cp 10
        jr nc,fin_fend
fin_fdig:
        push de
        ld d,h
        ld e,l
        add hl,hl
        jr c,fin_fov
        add hl,hl
        jr c,fin_fov
        add hl,de
        jr c,fin_fov
        add hl,hl
        jr c,fin_fov
        ld e,a
        ld d,0
        add hl,de
        jr c,fin_fov
        pop de
        djnz fin_fast
        inc de
        ld a,(de)
        sub '0'
        cp 10
        jr c,fin_slow               ; a sixth digit
fin_fend:
        ld a,(de)
        cp '.'
        jr z,fin_slow
        cp 'E'
        jr z,fin_slow
        cp 'e'
        jr z,fin_slow
        pop af                      ; the start is not needed
        jp fltuns
fin_fov:
        pop de                      ; beyond 65535
fin_slow:
        pop de
fin_full:
        xor a
        ld hl,FX_M
        ld b,13
fin_clr:
        ld (hl),a
        inc hl
        djnz fin_clr
        ld a,(de)
        cp '+'
        jr z,fin_sgn
        cp '-'
        jr nz,fin_dig
        ld a,80h
        ld (FX_SG),a
fin_sgn:
        inc de
fin_dig:
        call kpoll                  ; a text may run to hundreds of digits
        ld a,(de)
        cp '.'
        jr nz,fin_nopt
        ld a,(FX_PT)
        or a
        jr nz,fin_exp               ; a second point ends the number
        inc a
        ld (FX_PT),a
        inc de
        jr fin_dig
fin_nopt:
        sub '0'
        cp 10
        jr nc,fin_exp
        inc de
        ld c,a
        ld a,1
        ld (FX_E+1),a               ; a digit seen (cleared again below)
        ld a,(FX_N)
        cp 9
        jr nc,fin_extra
        or a
        jr nz,fin_take
        or c
        jr z,fin_frac               ; a leading zero
fin_take:
        ld a,(FX_N)
        inc a
        ld (FX_N),a
        push de
        call fin_m10
        pop de
fin_frac:
        ld a,(FX_PT)
        or a
        jr z,fin_dig
        ld hl,(FX_D)
        dec hl
        ld (FX_D),hl
        jr fin_dig
fin_extra:
        ld a,(FX_PT)                ; beyond 9 digits only the place counts
        or a
        jr nz,fin_dig
        ld hl,(FX_D)
        inc hl
        ld (FX_D),hl
        jr fin_dig

; the exponent: E, a sign and digits, or else the E is not part of the number
fin_exp:
        ld a,(FX_E+1)
        or a
        jr z,fin_val                ; no digit yet: no exponent either
        xor a
        ld (FX_E+1),a
        ld a,(de)
        cp 'E'
        jr z,fin_e
        cp 'e'
        jr nz,fin_val
fin_e:
        push de
        inc de
        ld a,(de)
        cp '+'
        jr z,fin_esg
        cp '-'
        jr nz,fin_ed0
        ld a,1
        ld (FX_ES),a
fin_esg:
        inc de
fin_ed0:
        ld a,(de)
        sub '0'
        cp 10
        jr c,fin_ehave
        pop de                      ; no digit: stop before the E
        jr fin_val
fin_ehave:
        pop af
fin_edig:
        call kpoll
        ld a,(de)
        sub '0'
        cp 10
        jr nc,fin_eend
        inc de
        ld c,a
        ld hl,(FX_E)
        ld a,h
        or a
        jr nz,fin_edig              ; already far beyond any range
        push de
        ld d,h
        ld e,l
        add hl,hl
        add hl,hl
        add hl,de
        add hl,hl
        ld e,c
        ld d,0
        add hl,de
        pop de
        ld (FX_E),hl
        jr fin_edig
fin_eend:
        push de
        ld hl,(FX_D)
        ld de,(FX_E)
        ld a,(FX_ES)
        or a
        jr nz,fin_eneg
        add hl,de
        jr fin_eset
fin_eneg:
        or a
        sbc hl,de
fin_eset:
        ld (FX_D),hl
        pop de

; FAC := FX_M * 10^FX_D with the sign
fin_val:
        ld a,(FX_N)
        or a
        jp z,fzero
        push de
        ld hl,(FX_M)
        ld a,(FX_M+2)
        ld b,a
        ld a,(FX_M+3)
        ld c,160                    ; FX_M is 0.M * 2^32
fin_nbyte:
        or a
        jr nz,fin_norm
        ld a,c                      ; a zero top byte: 8 places at once
        sub 8
        ld c,a
        ld a,b
        ld b,h
        ld h,l
        ld l,0
        jr fin_nbyte
fin_norm:
        or a
        jp m,fin_normed
        add hl,hl
        rl b
        rla
        dec c
        jr fin_norm
fin_normed:
        ld (FAC),hl
        ld (FAC+3),a
        ld a,b
        ld (FAC+2),a
        ld a,c
        ld (FAC_EXP),a
        xor a
        ld (FAC_SGN),a
        pop de
        ld hl,(FX_D)
        ld a,h
        or l
        jr z,fin_round
        ld a,h
        or a
        jp m,fin_dneg
        ld a,l                      ; 10^46 and up: beyond the largest
        cp 46
        jr nc,fin_ov
        ld a,h
        or a
        jr nz,fin_ov
        jr fin_scale
fin_ov: jp e_ov
fin_dneg:
        ld a,h
        cp 0FFh
        jp nz,fzero
        ld a,l
        cp 256-48
        jp c,fzero                  ; below 10^-48: below the smallest
fin_scale:
        call fx_scale
fin_round:
        call fround
        ld a,(FAC_EXP)
        or a
        ret z
        ld a,(FX_SG)
        ld (FAC_SGN),a
        ret

; fin_m10: FX_M := FX_M * 10 + C. Changes A, BC, DE, HL.
fin_m10:
        ld hl,FX_M
        ld b,4
fin_mb: ld a,(hl)
        push hl
        ld l,a
        ld h,0
        add hl,hl
        ld d,h
        ld e,l
        add hl,hl
        add hl,hl
        add hl,de
        ld e,c
        ld d,0
        add hl,de
        ld c,h
        ld a,l
        pop hl
        ld (hl),a
        inc hl
        djnz fin_mb
        ret

; fx_scale: FAC := |FAC| * 10^HL, HL in -48..45, unrounded, within about
; 2^-31. A 24-bit operand meets the power's 32 bits in one fmulx; a wider one
; (fin's 8 and 9 digits) is split into its top 24 bits and its guard byte,
; each multiplied so, and the two added. ?OV when too big, 0 when too small.
; Keeps DE; changes A, BC, HL, IX (and FX_V, which only fout uses).
fx_scale:
        ld a,(FAC)
        or a
        jr z,fx_narrow
        push de
        push hl                     ; k
        ld c,a
        ld a,(FAC_EXP)
        ld b,a
        push bc                     ; the exponent and the guard byte
        xor a
        ld (FAC),a
        call fx_narrow
        ld hl,FAC
        ld de,FX_V
        ld bc,6
        ldir
        pop bc
        push bc
        ld a,c
        call fltbyte
        pop bc
        ld a,b                      ; the guard byte weighs 2^(exp-160)
        sub 160
        ld c,a
        ld a,(FAC_EXP)
        add a,c
        ld (FAC_EXP),a
        pop hl
        call fx_narrow
        ld hl,FX_V
        ld de,ARG
        ld bc,6
        ldir
        pop de
        jp faddx

; fx_narrow: fx_scale for FAC with a guard byte of 0.
fx_narrow:
        push de
        ld de,48
        add hl,de
        ld d,h
        ld e,l
        add hl,hl
        add hl,de
        add hl,hl
        ld de,fx_pow_data
        add hl,de
        ld a,(FAC_EXP)
        ld (FX_X),a
        ld a,80h
        ld (FAC_EXP),a
        xor a
        ld (FAC_SGN),a
        call fmovaf
        ld de,FAC
        ld bc,4
        ldir
fx_mul: ld a,80h
        ld (FAC_EXP),a
        ld (ARG_EXP),a
        xor a
        ld (FAC_SGN),a
        ld e,(hl)
        inc hl
        ld d,(hl)
        push de
        call fmulx
        pop de
        ld a,(FAC_EXP)
        ld l,a
        ld h,0
        add hl,de
        ld a,(FX_X)
        ld e,a
        ld d,0
        add hl,de
        ld de,-128
        add hl,de
        pop de
        jp fp_setexp

; fout: FOUTBUF := FAC as PRINT shows it, 0-terminated; HL := FOUTBUF.
; FAC is left rounded to 24 bits. Keeps DE; changes A, BC, IX and AF'.
fout:   push de
        call fround
        ld hl,FOUTBUF
        ld a,(FAC_EXP)
        or a
        jr nz,fo_nz
        ld (hl),' '
        inc hl
        ld (hl),'0'
        inc hl
        ld (hl),0
        jp fo_ret
fo_nz:  ld a,(FAC_SGN)
        or a
        ld a,' '
        jp p,fo_pos
        ld a,'-'
fo_pos: ld (hl),a
        ld hl,FAC
        ld de,FX_V
        ld bc,6
        ldir
        ld a,(FAC+3)                ; k := 44 - log10(x), estimated from
        and 7Fh                     ; log2(x) ~ exp + top byte / 128 in
        ld l,a                      ; 1/128ths; right 9 times in 10, and
        ld a,(FAC_EXP)              ; fo_try mends the rest
        srl a
        ld h,a
        jr nc,fo_lg
        ld a,l
        or 80h
        ld l,a
fo_lg:  ld de,128
        add hl,de
        ld d,h                      ; A:H:L := HL * 77, log10(2) ~ 77/256
        ld e,l
        xor a
        add hl,hl
        rla
        add hl,hl
        rla
        add hl,hl
        rla
        add hl,de
        adc a,0
        add hl,hl
        rla
        add hl,de
        adc a,0
        add hl,hl
        rla
        add hl,hl
        rla
        add hl,de
        adc a,0
        ld c,a
        ld a,h
        rla
        ld a,c
        rla                         ; the product over 2^15
        ld c,a
        ld a,44
        sub c
        ld l,a
        ld h,0
        jr nc,fo_k
        dec h
fo_k:   ld (FX_K),hl
        xor a
        ld (FX_SV),a
fo_try: ld hl,FX_V
        ld de,FAC
        ld bc,6
        ldir
        ld hl,(FX_K)
        call fx_scale
        ld a,(FAC_EXP)              ; 99999.95 <= y < 999999.5: y rounds
        cp 145                      ; to 6 digits
        jr c,fo_small
        jr nz,fo_chkbig
        ld hl,(FAC+2)
        ld a,h
        cp 0C3h
        jr c,fo_small
        jr nz,fo_inrange
        ld a,l
        cp 4Fh
        jr c,fo_small
        jr nz,fo_inrange
        ld hl,(FAC)
        ld a,h
        cp 0F9h
        jr c,fo_small
        jr nz,fo_inrange
        ld a,l
        cp 9Ah
        jr c,fo_small
        jr fo_inrange
fo_chkbig:
        cp 148
        jr c,fo_inrange
        jr nz,fo_big
        ld hl,(FAC+2)
        ld a,h
        cp 0F4h
        jr c,fo_inrange
        jr nz,fo_big
        ld a,l
        cp 23h
        jr c,fo_inrange
        jr nz,fo_big
        ld a,(FAC+1)
        cp 0F8h
        jr c,fo_inrange
fo_big: ld a,(FX_SV)                 ; after a step up, near 1E6 within
        or a                        ; the table's error: take it
        jr nz,fo_inrange
        ld hl,(FX_K)
        dec hl
        ld (FX_K),hl
        jr fo_try
fo_small:
        ld a,1
        ld (FX_SV),a
        ld hl,(FX_K)
        inc hl
        ld (FX_K),hl
        jr fo_try

; y = x * 10^k: N := y rounded to a whole number, half up
fo_inrange:
        ld hl,(FAC+1)               ; B:H:L := y * 2^(exp-152)
        ld a,(FAC+3)
        ld b,a
        ld a,159                    ; 160 - exp - 1 places, then round
        ld c,a
        ld a,(FAC_EXP)
        ld e,a
        ld a,c
        sub e
        sub 8
        ld c,a
fo_shr: or a
        rr b
        ld a,h
        rra
        ld h,a
        ld a,l
        rra
        ld l,a
        dec c
        jr nz,fo_shr
        inc hl
        ld a,h
        or l
        jr nz,fo_h
        inc b
fo_h:   or a
        rr b
        ld a,h
        rra
        ld h,a
        ld a,l
        rra
        ld l,a
        ld a,b                      ; 1000000 (only after a step up): 100000
        cp 0Fh                      ; one place higher
        jr nz,fo_digits
        ld a,h
        cp 42h
        jr nz,fo_digits
        ld a,l
        cp 40h
        jr nz,fo_digits
        ld b,01h
        ld hl,(FX_K)
        dec hl
        ld (FX_K),hl
        ld hl,86A0h

; six digits by repeated subtraction, into FX_DG
fo_digits:
        ld ix,fo_dec_data
        ld de,FX_DG
        push de
fo_dnext:
        ld e,(ix+0)
        ld d,(ix+1)
        ld c,(ix+2)
        ld a,'0'-1
        ex af,af'
fo_dsub:
        ex af,af'
        inc a
        ex af,af'
        ld a,l
        sub e
        ld l,a
        ld a,h
        sbc a,d
        ld h,a
        ld a,b
        sbc a,c
        ld b,a
        jr nc,fo_dsub
        ld a,l                      ; one too many: add it back
        add a,e
        ld l,a
        ld a,h
        adc a,d
        ld h,a
        ld a,b
        adc a,c
        ld b,a
        ex af,af'
        ex (sp),hl
        ld (hl),a
        inc hl
        ex (sp),hl
        inc ix
        inc ix
        inc ix
        ld a,(ix+0)
        or a
        jr nz,fo_dnext
        pop de
        ld a,l
        add a,'0'
        ld (FX_DG+5),a

; the text: B := digits without trailing zeros, C := the decimal exponent
        ld hl,FX_DG+5
        ld b,6
fo_trim:
        ld a,(hl)
        cp '0'
        jr nz,fo_trimmed
        dec hl
        dec b
        jr fo_trim
fo_trimmed:
        ld a,(FX_K)
        ld c,a
        ld a,5
        sub c
        ld c,a
        ld hl,FOUTBUF+1
        ld de,FX_DG
        add a,2
        cp 8
        jr nc,fo_sci                ; below .01 or from 1E6 up
        ld a,c
        or a
        jp m,fo_lead
        inc c                       ; digits before the point
        ld a,b
        cp c
        jr nc,fo_fl
        ld b,c
fo_fl:  ld a,(de)
        ld (hl),a
        inc hl
        inc de
        dec b
        jr z,fo_done
        dec c
        jr nz,fo_fl
        ld (hl),'.'
        inc hl
        jr fo_fl
fo_lead:
        ld (hl),'.'
        inc hl
        inc a
        jr z,fo_cp
        ld (hl),'0'
        inc hl
fo_cp:  ld a,(de)
        ld (hl),a
        inc hl
        inc de
        djnz fo_cp
        jr fo_done
fo_sci: ld a,(de)
        ld (hl),a
        inc hl
        inc de
        dec b
        jr z,fo_ex
        ld (hl),'.'
        inc hl
        jr fo_cp2
fo_cp2: ld a,(de)
        ld (hl),a
        inc hl
        inc de
        djnz fo_cp2
fo_ex:  ld (hl),'E'
        inc hl
        ld (hl),'+'
        ld a,c
        or a
        jp p,fo_ep
        ld (hl),'-'
        neg
fo_ep:  inc hl
        ld b,'0'-1
fo_ten: inc b
        sub 10
        jr nc,fo_ten
        add a,10+'0'
        ld (hl),b
        inc hl
        ld (hl),a
        inc hl
fo_done:
        ld (hl),0
        ld hl,FX_V                  ; FAC as it was, rounded
        ld de,FAC
        ld bc,6
        ldir
fo_ret: pop de
        ld hl,FOUTBUF
        ret

; the places of fo_digits, 24 bits each; a 0 ends them
fo_dec_data:
        db 0A0h,86h,01h
        db 10h,27h,00h
        db 0E8h,03h,00h
        db 64h,00h,00h
        db 0Ah,00h,00h
        db 00h
fo_dec_data_end:

; 0..99 as FAC's top mantissa byte and exponent
fin_small_data:
        db 000h,000h,080h,081h,080h,082h,0C0h,082h,080h,083h,0A0h,083h,0C0h,083h,0E0h,083h
        db 080h,084h,090h,084h,0A0h,084h,0B0h,084h,0C0h,084h,0D0h,084h,0E0h,084h,0F0h,084h
        db 080h,085h,088h,085h,090h,085h,098h,085h,0A0h,085h,0A8h,085h,0B0h,085h,0B8h,085h
        db 0C0h,085h,0C8h,085h,0D0h,085h,0D8h,085h,0E0h,085h,0E8h,085h,0F0h,085h,0F8h,085h
        db 080h,086h,084h,086h,088h,086h,08Ch,086h,090h,086h,094h,086h,098h,086h,09Ch,086h
        db 0A0h,086h,0A4h,086h,0A8h,086h,0ACh,086h,0B0h,086h,0B4h,086h,0B8h,086h,0BCh,086h
        db 0C0h,086h,0C4h,086h,0C8h,086h,0CCh,086h,0D0h,086h,0D4h,086h,0D8h,086h,0DCh,086h
        db 0E0h,086h,0E4h,086h,0E8h,086h,0ECh,086h,0F0h,086h,0F4h,086h,0F8h,086h,0FCh,086h
        db 080h,087h,082h,087h,084h,087h,086h,087h,088h,087h,08Ah,087h,08Ch,087h,08Eh,087h
        db 090h,087h,092h,087h,094h,087h,096h,087h,098h,087h,09Ah,087h,09Ch,087h,09Eh,087h
        db 0A0h,087h,0A2h,087h,0A4h,087h,0A6h,087h,0A8h,087h,0AAh,087h,0ACh,087h,0AEh,087h
        db 0B0h,087h,0B2h,087h,0B4h,087h,0B6h,087h,0B8h,087h,0BAh,087h,0BCh,087h,0BEh,087h
        db 0C0h,087h,0C2h,087h,0C4h,087h,0C6h,087h
fin_small_data_end:

; 10^-48 .. 10^45: a 32-bit mantissa, lowest byte first, then the binary
; exponent as a word (the value is 0.m * 2^e)
fx_pow_data:
        db 054h,07Ch,012h,0BBh
        dw -159
        db 069h,01Bh,0D7h,0E9h
        dw -156
        db 021h,071h,026h,092h
        dw -152
        db 06Ah,00Dh,0B0h,0B6h
        dw -149
        db 0C4h,010h,05Ch,0E4h
        dw -146
        db 07Bh,08Ah,0B9h,08Eh
        dw -142
        db 019h,0EDh,067h,0B2h
        dw -139
        db 060h,0E8h,001h,0DFh
        dw -136
        db 03Ch,031h,061h,08Bh
        dw -132
        db 08Bh,07Dh,039h,0AEh
        dw -129
        db 0EDh,0DCh,0C7h,0D9h
        dw -126
        db 014h,0EAh,01Ch,088h
        dw -122
        db 099h,024h,024h,0AAh
        dw -119
        db 0C0h,02Dh,0ADh,0D4h
        dw -116
        db 098h,03Ch,0ECh,084h
        dw -112
        db 0BEh,04Bh,027h,0A6h
        dw -109
        db 0ADh,01Eh,0B1h,0CFh
        dw -106
        db 02Ch,0B3h,0CEh,081h
        dw -102
        db 0F7h,05Fh,042h,0A2h
        dw -99
        db 0F5h,0F7h,0D2h,0CAh
        dw -96
        db 0F3h,0B5h,087h,0FDh
        dw -93
        db 0B8h,0D1h,074h,09Eh
        dw -89
        db 025h,006h,012h,0C6h
        dw -86
        db 0AFh,087h,096h,0F7h
        dw -83
        db 0CDh,014h,0BEh,09Ah
        dw -79
        db 001h,09Ah,06Dh,0C1h
        dw -76
        db 081h,000h,0C9h,0F1h
        dw -73
        db 050h,0A0h,01Dh,097h
        dw -69
        db 065h,008h,0E5h,0BCh
        dw -66
        db 07Eh,04Ah,01Eh,0ECh
        dw -63
        db 08Fh,0EEh,092h,093h
        dw -59
        db 032h,0AAh,077h,0B8h
        dw -56
        db 0BFh,094h,095h,0E6h
        dw -53
        db 0F7h,07Ch,01Dh,090h
        dw -49
        db 035h,0DCh,024h,0B4h
        dw -46
        db 042h,013h,02Eh,0E1h
        dw -43
        db 009h,0CCh,0BCh,08Ch
        dw -39
        db 00Ch,0FFh,0EBh,0AFh
        dw -36
        db 0CFh,0FEh,0E6h,0DBh
        dw -33
        db 041h,05Fh,070h,089h
        dw -29
        db 012h,077h,0CCh,0ABh
        dw -26
        db 0D6h,094h,0BFh,0D6h
        dw -23
        db 006h,0BDh,037h,086h
        dw -19
        db 047h,0ACh,0C5h,0A7h
        dw -16
        db 059h,017h,0B7h,0D1h
        dw -13
        db 098h,06Eh,012h,083h
        dw -9
        db 03Dh,00Ah,0D7h,0A3h
        dw -6
        db 0CDh,0CCh,0CCh,0CCh
        dw -3
        db 000h,000h,000h,080h
        dw 1
        db 000h,000h,000h,0A0h
        dw 4
        db 000h,000h,000h,0C8h
        dw 7
        db 000h,000h,000h,0FAh
        dw 10
        db 000h,000h,040h,09Ch
        dw 14
        db 000h,000h,050h,0C3h
        dw 17
        db 000h,000h,024h,0F4h
        dw 20
        db 000h,080h,096h,098h
        dw 24
        db 000h,020h,0BCh,0BEh
        dw 27
        db 000h,028h,06Bh,0EEh
        dw 30
        db 000h,0F9h,002h,095h
        dw 34
        db 040h,0B7h,043h,0BAh
        dw 37
        db 010h,0A5h,0D4h,0E8h
        dw 40
        db 02Ah,0E7h,084h,091h
        dw 44
        db 0F4h,020h,0E6h,0B5h
        dw 47
        db 032h,0A9h,05Fh,0E3h
        dw 50
        db 0BFh,0C9h,01Bh,08Eh
        dw 54
        db 02Fh,0BCh,0A2h,0B1h
        dw 57
        db 03Ah,06Bh,00Bh,0DEh
        dw 60
        db 005h,023h,0C7h,08Ah
        dw 64
        db 0C6h,0EBh,078h,0ADh
        dw 67
        db 0B7h,026h,0D7h,0D8h
        dw 70
        db 032h,078h,086h,087h
        dw 74
        db 03Fh,016h,068h,0A9h
        dw 77
        db 0CFh,01Bh,0C2h,0D3h
        dw 80
        db 061h,051h,059h,084h
        dw 84
        db 0BAh,0A5h,06Fh,0A5h
        dw 87
        db 028h,08Fh,0CBh,0CEh
        dw 90
        db 079h,039h,03Fh,081h
        dw 94
        db 0D7h,007h,08Fh,0A1h
        dw 97
        db 0CDh,0C9h,0F2h,0C9h
        dw 100
        db 040h,07Ch,06Fh,0FCh
        dw 103
        db 0A8h,0ADh,0C5h,09Dh
        dw 107
        db 012h,019h,037h,0C5h
        dw 110
        db 057h,0DFh,084h,0F6h
        dw 113
        db 096h,00Bh,013h,09Ah
        dw 117
        db 07Ch,0CEh,097h,0C0h
        dw 120
        db 01Bh,0C2h,0BDh,0F0h
        dw 123
        db 051h,099h,076h,096h
        dw 127
        db 0A5h,03Fh,014h,0BCh
        dw 130
        db 08Eh,04Fh,019h,0EBh
        dw 133
        db 0B9h,0D1h,0EFh,092h
        dw 137
        db 027h,0C6h,0ABh,0B7h
        dw 140
        db 0B1h,0B7h,096h,0E5h
        dw 143
        db 0CEh,032h,07Eh,08Fh
        dw 147
        db 082h,0BFh,05Dh,0B3h
        dw 150
fx_pow_data_end:
