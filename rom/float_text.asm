; Numbers as text for Zorva BASIC: fin reads a number's text into FAC, fout
; writes FAC as BASIC prints it into FOUTBUF. Built on float.asm.
;
; Both scale by a power of ten, 10^k for |k| < 64, built from six powers
; (10^1, 10^2 ... 10^32, and their reciprocals) kept to 48 bits each: every
; step multiplies FAC's 32 bits by the power's top and low 24 bits apart and
; adds, within about 2^-32. fin is correctly rounded except within a few
; units of 2^-32 of a halfway point (it keeps 9 significant digits and drops
; the rest); fout's 6 digits are exact unless the value lies that near a
; rounding boundary. fout takes 10^0 .. 10^6, the everyday range, as one
; exact multiplication instead.

FX_M            equ FP_TX           ; 4: the significant digits as a whole number
FX_N            equ FP_TX+4         ; significant digits taken
FX_SG           equ FP_TX+5         ; the character where a sign may be
FX_PT           equ FP_TX+6         ; 1 after the point
FX_DS           equ FP_TX+7         ; 1 once a digit is seen
FX_ES           equ FP_TX+8         ; the character after E
FX_X            equ FP_TX+12        ; fx_mulw: the operand's exponent
FX_W            equ FP_TX+13        ; fx_mulw: the power's exponent
FX_T            equ FP_TX+14        ; 6: fx_mulw's operand, then its low product
FX_V            equ FP_TX           ; 6: fout's value, kept while it tries k
FX_K            equ FP_TX+6         ; fout's power of ten
FX_SV           equ FP_TX+7         ; not 0 once fout has stepped k up
FX_DG           equ FP_TX+20        ; 6: fout's digits (a '0' may go before)

; fin: FAC := the number whose text DE points at; DE moves past it. Whole
; numbers of up to 5 digits below 65536 take a short way through fltuns. An
; E followed by no digit is left unread. ?OV when too big; too small gives 0.
; Changes A, BC, HL, IX.
fin:    ld a,(de)
        sub '0'
        cp 10
        jr nc,fin_full
        push de                     ; the start, should the number go on
        ld l,a
        ld h,0
        ld b,5
fin_fast:
        inc de
        ld a,(de)
        sub '0'
        cp 10
        jr nc,fin_fend
        dec b
        jr z,fin_slow               ; a sixth digit
        call fin_hl10
        jr nc,fin_fast
        jr fin_slow                 ; beyond 65535
fin_fend:
        ld a,(de)
        cp '.'
        jr z,fin_slow
        or 20h                      ; E or e
        cp 'e'
        jr z,fin_slow
        pop af                      ; the start is not needed
        jp fltuns
fin_slow:
        pop de
fin_full:
        xor a
        ld ix,0                     ; IX: the decimal exponent of FX_M
        ld hl,FX_M
        ld b,8
fin_clr:
        ld (hl),a
        inc hl
        djnz fin_clr
        call fin_sg
        ld (FX_SG),a
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
        ld (FX_DS),a
        ld a,(FX_N)
        cp 9
        jr nc,fin_extra
        or c
        jr z,fin_frac               ; a leading zero
        ld hl,FX_N
        inc (hl)
        push de
        call fin_m10
        pop de
fin_frac:
        ld a,(FX_PT)
        or a
        jr z,fin_dig
        dec ix
        jr fin_dig
fin_extra:
        ld a,(FX_PT)                ; beyond 9 digits only the place counts
        or a
        jr nz,fin_dig
        inc ix
        jr fin_dig

; the exponent: E, a sign and digits, or else the E is not part of the number
fin_exp:
        ld a,(FX_DS)
        or a
        jr z,fin_val                ; no digit yet: no exponent either
        ld a,(de)
        or 20h
        cp 'e'
        jr nz,fin_val
        push de
        inc de
        call fin_sg
        ld (FX_ES),a
        ld a,(de)
        sub '0'
        cp 10
        jr c,fin_ehave
        pop de                      ; no digit: stop before the E
        jr fin_val
fin_ehave:
        pop af
        ld hl,0
fin_edig:
        call kpoll
        ld a,(de)
        sub '0'
        cp 10
        jr nc,fin_eend
        inc de
        inc h
        dec h
        jr nz,fin_edig              ; already far beyond any range
        call fin_hl10
        jr fin_edig
fin_eend:
        ld a,(FX_ES)
        cp '-'
        jr nz,fin_epos
        xor a                       ; HL := -HL
        sub l
        ld l,a
        sbc a,a
        sub h
        ld h,a
fin_epos:
        ld b,h
        ld c,l
        add ix,bc

; FAC := FX_M * 10^IX with the sign
fin_val:
        ld a,(FX_N)
        or a
        jp z,fzero
        push ix
        push de
        ld hl,(FX_M)                ; FX_M < 2^30 is exact in FAC's 32 bits
        call fltuns
        call fmovaf
        ld hl,(FX_M+2)
        call fltuns
        ld a,(FAC_EXP)
        or a
        jr z,fin_lo
        add a,16
        ld (FAC_EXP),a
fin_lo: call faddx
        pop de
        pop hl
        ld bc,48                    ; 1 <= FX_M < 10^9: below 10^-47 the
        add hl,bc                   ; value is below the smallest, from
        ld a,h                      ; 10^39 up beyond the largest
        or a
        jr z,fin_inr
        jp m,fzero
        jp e_ov
fin_inr:
        ld a,l
        or a
        jp z,fzero
        cp 48+39
        jp nc,e_ov
        or a
        sbc hl,bc                   ; HL := the exponent again
        call fx_scale
        call fround
        ld a,(FX_SG)
        cp '-'
        ret nz
        jp fneg

; fin_sg: A := the character at DE; DE moves past it when it is a sign.
fin_sg: ld a,(de)
        cp '+'
        jr z,fin_sk
        cp '-'
        ret nz
fin_sk: inc de
        ret

; fin_hl10: HL := HL * 10 + A; C when that is beyond 65535. Keeps DE.
fin_hl10:
        push de
        ld d,h
        ld e,l
        add hl,hl
        jr c,fin_hx
        add hl,hl
        jr c,fin_hx
        add hl,de
        jr c,fin_hx
        add hl,hl
        jr c,fin_hx
        ld e,a
        ld d,0
        add hl,de
fin_hx: pop de
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

; fx_scale: FAC := |FAC| * 10^HL, HL in -63..63, unrounded: one fx_mulw for
; each bit of |HL|. ?OV when too big, 0 when too small. Keeps DE; changes A,
; BC, HL, IX.
fx_scale:
        push de
        xor a
        ld (FAC_SGN),a
        ld de,fx_pow_data
        ld a,h
        or a
        ld a,l
        jp p,fx_bit
        neg
        ld de,fx_pow_data+48        ; the reciprocals
fx_bit: or a
        jr z,fx_done
        srl a
        jr nc,fx_next
        push af
        push de
        ex de,hl
        call fx_mulw
        pop de
        pop af
fx_next:
        ld hl,8
        add hl,de
        ex de,hl
        jr fx_bit
fx_done:
        pop de
        ret

; fx_mulw: FAC := FAC * the power at HL (8 bytes: its low part's 24 bits and
; exponent taken as if the power were below 1, then its top 24 bits and
; exponent; a low part with exponent 0 is none), unrounded. FAC is >= 0.
; Changes A, BC, DE, HL, IX.
fx_mulw:
        call kpoll                  ; up to six of these in a row
        ld a,(FAC_EXP)
        or a
        ret z
        ld (FX_X),a
        ld a,80h                    ; the mantissas meet below 1; the exponents
        ld (FAC_EXP),a              ; are added at the end
        push hl
        ld hl,FAC
        ld de,FX_T
        ld bc,6
        ldir
        pop hl
        call fx_ldarg
        jr z,fx_exact
        push hl
        xor a                       ; the low part's product, 2^-24 of the
        ld (FAC),a                  ; whole, needs only X's top 24 bits
        call fmulx
        ld hl,FAC                   ; FAC := the operand again, FX_T := it
        ld de,FX_T
        ld b,6
fx_swap:
        ld a,(de)
        ld c,(hl)
        ld (hl),a
        ld a,c
        ld (de),a
        inc hl
        inc de
        djnz fx_swap
        pop hl
        jr fx_top
fx_exact:
        ld (FX_T+4),a               ; no low product: FX_T := 0
fx_top: call fx_ldarg
        ld (FX_W),a
        ld a,80h
        ld (ARG_EXP),a
        call fmulx
        ld hl,FX_T
        ld de,ARG
        ld bc,6
        ldir
        call faddx
        ld de,(FX_X)                ; the exponent: sum of the three less 256
        ld a,(FAC_EXP)
        ld l,a
        ld h,0FFh
        ld a,d
        ld d,0
        add hl,de
        ld e,a
        add hl,de
        jp fp_setexp

; fx_ldarg: ARG := the 3 mantissa bytes and exponent at HL, positive, guard
; byte 0; HL moves past them. A := the exponent, Z when it is 0.
fx_ldarg:
        ld de,ARG+1
        ld bc,4
        ldir
        xor a
        ld (ARG),a
        ld (ARG_SGN),a
        ld a,(ARG_EXP)
        or a
        ret

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
        ld a,(FAC+3)                ; k := 5 - log10(x), estimated: with t
        and 7Fh                     ; the mantissa's 7 bits below the top,
        srl a                       ; log2(x) ~ exp - 129 + t/128, and
        ld c,a                      ; log10(2) ~ 77/256; right 9 times in 10,
        srl a                       ; and fo_try mends the rest
        srl a
        add a,c
        add a,77
        ld c,a                      ; C := 77 + t * 77/128, roughly
        ld a,(FAC_EXP)
        ld l,a
        ld h,0
        ld d,h
        ld e,l
        add hl,hl
        add hl,hl
        add hl,hl
        add hl,de
        add hl,hl
        add hl,de
        add hl,hl
        add hl,hl
        add hl,de
        ld e,c
        add hl,de
        ld a,44
        sub h
        ld (FX_K),a
        ld l,a
        sbc a,a
        ld h,a
        xor a
        ld (FX_SV),a
        call fx_scale
fo_try: ld a,(FAC_EXP)              ; y = x * 10^k below 100000: k too low
        cp 145
        jr c,fo_small
        jr nz,fo_ge
        ld hl,(FAC+2)
        ld bc,10000h-0C350h
        add hl,bc
        jr nc,fo_small
        jr fo_inrange
fo_ge:  cp 148                      ; from 999999.5 up: k too high, except
        jr c,fo_inrange             ; just after a step up, when y rounds
        jr nz,fo_big                ; to 1000000
        ld hl,(FAC+1)
        ld a,l
        sub 0F8h
        ld a,h
        sbc a,23h
        ld a,(FAC+3)
        sbc a,0F4h
        jr c,fo_inrange
        ld a,(FX_SV)
        or a
        jr z,fo_big
        ld hl,FX_K                  ; 1000000: 100000 one place higher
        dec (hl)
        ld b,01h
        ld hl,86A0h
        jr fo_digits
fo_big: ld hl,FX_K
        dec (hl)
        ld hl,fx_pow_data+48        ; y / 10
        jr fo_step
fo_small:
        ld (FX_SV),a                ; A, the exponent, is not 0
        ld hl,FX_K
        inc (hl)
        ld hl,fx_pow_data           ; y * 10
fo_step:
        call fx_mulw
        jr fo_try

; 100000 <= y = x * 10^k < 999999.5: N := y rounded to a whole number (a
; tie to even), by adding 1.5 * 2^23 so that rounding to 24 bits drops the
; fraction
fo_inrange:
        ld hl,fo_mag_data
        call fx_ldarg
        call faddx
        call fround
        ld hl,(FAC+1)               ; B:H:L := N
        ld a,(FAC+3)
        sub 0C0h
        ld b,a

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
        inc c                       ; C := digits before the point, -1..6
        jp p,fo_fix
        dec de                      ; .0ddd: the zero put before the digits
        ld a,'0'
        ld (de),a
        inc b
        inc c
fo_fix: ld a,b                      ; whole numbers print their zeros
        cp c
        jr nc,fo_fx
        ld b,c
fo_fx:  call fo_put
        jr fo_done
fo_sci: push bc
        ld c,1
        call fo_put
        pop bc
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

; fo_put: B characters from DE to HL, a point before the (C+1)th.
fo_put: ld a,c
        or a
        jr nz,fo_pd
        ld (hl),'.'
        inc hl
fo_pd:  dec c
        ld a,(de)
        ld (hl),a
        inc hl
        inc de
        djnz fo_put
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

fo_mag_data:
        db 0,0,0C0h,152
fo_mag_data_end:

; the powers for fx_scale, 10^1, 10^2, 10^4 ... 10^32, then 10^-1 ... 10^-32,
; in fx_mulw's form: the low part (exponent 0: none), then the top 24 bits;
; each part's value is 0.m * 2^(e-128)
fx_pow_data:
        db 0,0,0,0, 000h,000h,0A0h,132   ; 10^1
        db 0,0,0,0, 000h,000h,0C8h,135   ; 10^2
        db 0,0,0,0, 000h,040h,09Ch,142   ; 10^4
        db 0,0,0,0, 020h,0BCh,0BEh,155   ; 10^8
        db 000h,004h,0BFh,104, 0C9h,01Bh,08Eh,182   ; 10^16
        db 071h,02Bh,0A8h,104, 0ADh,0C5h,09Dh,235   ; 10^32
        db 0CDh,0CCh,0CCh,104, 0CCh,0CCh,0CCh,125   ; 10^-1
        db 08Fh,0C2h,0F5h,102, 00Ah,0D7h,0A3h,122   ; 10^-2
        db 033h,0C4h,0B1h,103, 017h,0B7h,0D1h,115   ; 10^-4
        db 00Eh,023h,08Ch,101, 077h,0CCh,0ABh,102   ; 10^-8
        db 04Eh,0C4h,0BEh,104, 094h,095h,0E6h,75   ; 10^-16
        db 03Ah,045h,0ADh,104, 01Eh,0B1h,0CFh,22   ; 10^-32
fx_pow_data_end:
