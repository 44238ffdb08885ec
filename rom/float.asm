; Floating-point core of Zorva BASIC: the 4-byte number format, the
; accumulators FAC and ARG, loading, storing and moving numbers, the four
; operations (rounded, and unrounded variants that keep a guard byte for the
; functions in float_func.asm), comparison, sign operations, INT and the
; conversions to and from 16-bit whole numbers.
;
; Packed numbers (variables, arrays): 4 bytes, mantissa bits 7..0, 15..8,
; sign in bit 7 with bits 22..16, then the exponent biased by 128; the value
; is 0.1mmm... (binary) times 2^(exponent-128), and exponent 0 is zero (always
; stored as 4 zero bytes). FAC and ARG hold a number unpacked: guard byte,
; mantissa bits 7..0, 15..8, 23..16 (bit 23 the leading 1), exponent, sign
; (bit 7). Whatever has exponent 0 is zero, whatever its other bytes say.
;
; The includer defines FPRAM (128 bytes; this file and float_text.asm use
; FPRAM+0..71), the error entries e_ov, e_dz, e_fc and kpoll, and calls finit
; once at power-on. All routines keep DE and IY unless they say otherwise.

FAC             equ FPRAM+0         ; guard, m0, m1, m2, exponent, sign
FAC_EXP         equ FPRAM+4
FAC_SGN         equ FPRAM+5
ARG             equ FPRAM+6
ARG_EXP         equ FPRAM+10
ARG_SGN         equ FPRAM+11
FOUTBUF         equ FPRAM+12        ; fout's text, 16 bytes
FP_T            equ FPRAM+28        ; scratch for one routine at a time, 16 bytes
FP_TX           equ FPRAM+44        ; float_text.asm's scratch, 28 bytes

float_start:

; finit: sets the package up at power-on: FAC and ARG to 0, then the
; random-number generator of float_func.asm.
finit:  call fzero
        call fmovaf
        jp frndinit

; fzero: FAC := 0 (all six bytes, so a zero never carries a stray guard);
; A := 0. Keeps BC, DE, HL.
fzero:  push hl
        ld hl,0
        ld (FAC_EXP),hl
fz_low: ld l,0                      ; H: the top mantissa byte
        ld (FAC+2),hl
        ld h,l
        ld (FAC),hl
        pop hl
        xor a
        ret

; fsgn: FAC := -1, 0 or 1 by FAC's sign. Changes A.
fsgn:   ld a,(FAC_EXP)
        or a
        ret z
        ld a,(FAC_SGN)
        jr fo_sign

; fone: FAC := 1. fo_sign: FAC := 1 with the sign A (0 or 80h). Keep BC,
; DE, HL.
fone:   xor a
fo_sign:
        push hl
        ld h,a
        ld l,81h
        ld (FAC_EXP),hl
        ld h,80h
        jr fz_low

; fldhl: FAC := the packed number at HL. fldarg: ARG := it. Both leave HL on
; the number's exponent byte and change A, C and IX.
fldhl:  ld ix,FAC
        jr fl_unpack
fldarg: ld ix,ARG
fl_unpack:
        ld a,(hl)
        ld (ix+1),a
        inc hl
        ld a,(hl)
        ld (ix+2),a
        inc hl
        ld a,(hl)
        ld c,a
        or 80h                      ; the leading 1 the packed form leaves out
        ld (ix+3),a
        ld a,c
        and 80h
        ld (ix+5),a
        inc hl
        ld a,(hl)
        ld (ix+4),a
        ld (ix+0),0
        ret

; fsthl: the packed number at HL := FAC rounded to 24 bits (?OV when the
; rounding carries out of the largest exponent). Leaves HL on the exponent
; byte; changes A and BC.
fsthl:  call fround
        ld a,(FAC_EXP)
        or a
        call z,fzero                ; a zero is stored as 4 zero bytes
        ld bc,(FAC+1)
        ld (hl),c
        inc hl
        ld (hl),b
        inc hl
        ld a,(FAC_SGN)
        rla
        ld a,(FAC+3)
        rla                         ; the leading 1 out, the sign in...
        rrca                        ; ...and round to bit 7
        ld (hl),a
        inc hl
        ld a,(FAC_EXP)
        ld (hl),a
        ret

; fround: rounds FAC to 24 bits, to nearest, a tie to the even neighbour; the
; guard byte becomes 0. ?OV when the largest number rounds up. Keeps DE, HL;
; changes A and BC.
fround: ld a,(FAC)
        or a
        ret z
        add a,a                     ; C: half or more; Z too: exactly half
        ld a,0
        ld (FAC),a
        ret nc
        push hl
        ld hl,FAC+1
        jr nz,fr_up
        bit 0,(hl)                  ; a tie goes up only from an odd number
        jr z,fr_done
fr_up:  ld b,1
        call fincm
fr_done:
        pop hl
        ret

; fincm: adds B to FAC's mantissa byte at HL (FAC+1..FAC+3), the carry going
; up; a carry out of the top gives 0.1 one exponent higher, ?OV beyond the
; largest. Changes A, B, HL.
fincm:  ld a,(hl)
        add a,b
        ld (hl),a
        ret nc
        ld b,1
        inc hl
        ld a,l
        cp FAC_EXP and 0FFh
        jr nz,fincm
        dec hl
        ld (hl),80h
        inc hl
        inc (hl)
        ret nz
        jp e_ov

; fmovaf: ARG := FAC. fmovfa: FAC := ARG. All six bytes, the guard included.
; Change BC; keep DE and HL.
fmovaf: push de
        push hl
        ld hl,FAC
        ld de,ARG
fm_copy:
        ld bc,6
        ldir
        pop hl
        pop de
        ret
fmovfa: push de
        push hl
        ld hl,ARG
        ld de,FAC
        jr fm_copy

; fpush: rounds FAC to 24 bits (as fsthl) and pushes it, packed, below the
; caller's return address: after the call SP is 4 lower and (SP) holds the
; number as a variable would. fpoparg: ARG := the number fpush pushed, and SP
; 4 higher. Both keep DE; change A, BC, HL and IX.
fpush:  pop ix                      ; the caller's return address
        push hl                     ; room for the number
        push hl
        ld hl,0
        add hl,sp
        call fsthl
        jp (ix)

fpoparg:
        ld hl,2                     ; the number, above our return address
        add hl,sp
        call fldarg
        pop hl
        pop bc                      ; the number's 4 bytes off the stack
        pop bc
        jp (hl)

; fneg: FAC := -FAC (zero stays 0 with a clear sign). fabs: FAC := |FAC|.
; Change A.
fneg:   ld a,(FAC_EXP)
        or a
        ret z
        ld a,(FAC_SGN)
        xor 80h
        ld (FAC_SGN),a
        ret
fabs:   xor a
        ld (FAC_SGN),a
        ret

; fsub: FAC := ARG - FAC, rounded. fsubx: the same, unrounded.
; fadd: FAC := ARG + FAC, rounded. faddx: the same, unrounded: the smaller
; operand is aligned inside a 32-bit window and the bits that fall out of it
; are kept as a sticky bit in bit 0 of the guard, so rounding afterwards is
; exact. All change A, BC, HL, IX; keep DE.
fsub:   call fneg
fadd:   call faddx
        jp fround
fsubx:  call fneg
faddx:  ld a,(ARG_EXP)
        or a
        ret z                       ; x + 0
        ld a,(FAC_EXP)
        or a
        jp z,fmovfa                 ; 0 + y
        push de
        ld c,a
        ld a,(ARG_EXP)
        sub c                       ; exponent difference
        jr c,fa_fac_big
        ld ix,ARG                   ; ARG the larger: FAC is aligned
        ld hl,(FAC)
        ld de,(FAC+2)
        jr fa_align
fa_fac_big:
        neg
        ld ix,FAC
        ld hl,(ARG)
        ld de,(ARG+2)
fa_align:
        ld b,d                      ; the smaller one: B:D:H:L
        ld d,e
        or a
        jr z,fa_aligned
        cp 32
        jr nc,fa_tiny
        ld c,a
        ld e,0                      ; what falls out, ORed together
        cp 8
        jr c,fa_bits
fa_byte:
        ld a,e
        or l
        ld e,a
        ld l,h
        ld h,d
        ld d,b
        ld b,0
        ld a,c
        sub 8
        ld c,a
        cp 8
        jr nc,fa_byte
        or a
        jr z,fa_jam
fa_bits:
        ; Shifting right by r is shifting left by 8-r inside 40 bits and
        ; dropping the low byte: left shifts are the cheap ones here.
        sub 8
        neg
        ld c,a
        xor a
fa_shl: add hl,hl
        rl d
        rl b
        rla
        dec c
        jr nz,fa_shl
        ld c,a
        ld a,e
        or l
        ld e,a
        ld l,h
        ld h,d
        ld d,b
        ld b,c
fa_jam: ld a,e
        or a
        jr z,fa_aligned
        set 0,l
        jr fa_aligned
fa_tiny:
        ld hl,1                     ; far below: only its sticky bit counts
        ld d,h
        ld b,h
fa_aligned:
        ld c,d                      ; B:C:H:L for the bytewise operations
        ld a,(ARG_SGN)
        ld d,a
        ld a,(FAC_SGN)
        xor d
        jp m,fa_sub
        ld e,(ix+0)                 ; same signs: add the larger
        ld d,(ix+1)
        add hl,de
        ld a,(ix+2)
        adc a,c
        ld c,a
        ld a,(ix+3)
        adc a,b
        ld b,a
        ld e,(ix+4)
        jr nc,fa_store
        rr b                        ; carried out: one place right, one up
        ld a,c
        rra
        ld c,a
        ld a,h
        rra
        ld h,a
        ld a,l
        rra
        jr nc,fa_c1
        or 1
fa_c1:  ld l,a
        inc e
        jp z,e_ov
fa_store:
        ld (FAC),hl
        ld (FAC+2),bc
        ld a,e
        ld (FAC_EXP),a
        ld a,(ix+5)
        ld (FAC_SGN),a
        pop de
        ret

fa_sub: ld a,(ix+0)                 ; the larger minus the smaller
        sub l
        ld l,a
        ld a,(ix+1)
        sbc a,h
        ld h,a
        ld a,(ix+2)
        sbc a,c
        ld c,a
        ld a,(ix+3)
        sbc a,b
        ld b,a
        jr nc,fa_nsign
        ld hl,(ARG)                 ; equal exponents and FAC the larger:
        ld bc,(ARG+2)               ; the other way round
        ld ix,FAC
        jr fa_sub
fa_nsign:
        ld e,(ix+4)
        ld d,c                      ; B:D:H:L shifts left cheaply
fa_nbyte:
        ld a,b
        or a
        jr nz,fa_nbit
        or d
        or h
        or l
        jr z,fa_zero
        ld b,d
        ld d,h
        ld h,l
        ld l,0
        ld a,e
        sub 8
        jr c,fa_zero
        jr z,fa_zero
        ld e,a
        jr fa_nbyte
fa_nloop:
        add hl,hl
        rl d
        rl b
        dec e
        jr z,fa_zero
        ld a,b
        or a
fa_nbit:
        jp p,fa_nloop
        ld c,d
        jr fa_store
fa_zero:
        pop de
        jp fzero

; fmul: FAC := ARG * FAC, rounded. fmulx: the same, unrounded. ARG's 24-bit
; mantissa is multiplied by FAC's 32 bits (its guard byte included when it is
; not 0), one byte of FAC at a time from the lowest; the lowest product bytes
; only feed the sticky bit. ARG's guard byte is not used. Change A, BC, HL,
; IX; keep DE.
FM_X            equ FP_T            ; 3: the partial product above its low byte
FM_N            equ FP_T+3          ; loop count
FM_S            equ FP_T+4          ; sticky: the dropped bytes ORed
FM_E            equ FP_T+5          ; 2: exponent before normalising
FM_SG           equ FP_T+7          ; the product's sign
FM_S0           equ FP_T+8          ; the sticky byte before the last partial

fmul:   call fmulx
        jp fround
fmulx:  ld a,(FAC_EXP)
        or a
        ret z                       ; 0 * y
        ld b,a
        ld a,(ARG_EXP)
        or a
        jp z,fzero                  ; x * 0
        push de
        ld ix,FP_T
        add a,b
        ld l,a
        ld a,0
        adc a,a
        ld h,a
        ld de,-128
        add hl,de
        call fp_esg
        xor a
        ld (FM_X),a
        ld (FM_X+1),a
        ld (FM_X+2),a
        ld (FM_S),a
        ld a,(FAC)
        or a
        jr z,fm_g0
        ld b,a
        call fm_part
fm_g0:  ld a,(FAC+1)
        ld b,a
        call fm_part
        ld a,(FAC+2)
        ld b,a
        call fm_part
        ld a,(ix+4)                 ; the sticky byte without the guard byte
        ld (ix+8),a
        ld a,(FAC+3)
        ld b,a
        call fm_part
        ld a,e                      ; the top 32 bits: B:A:H:L
        ld de,(FM_E)
        inc b
        dec b
        jp m,fm_normed
        add hl,hl                   ; below 0.5: one place left
        adc a,a
        rl b
        dec de
fm_normed:
        inc (ix+8)
        dec (ix+8)
        jr z,fm_nj
        set 0,l                     ; the dropped bytes: sticky
fm_nj:  ld (FAC),hl
        ld c,a
        ld (FAC+2),bc
        ex de,hl
fm_tail:
        ld a,(FM_SG)
        ld (FAC_SGN),a
        pop de
; fp_setexp: FAC's exponent := HL (a signed 16-bit exponent): above 255 ?OV,
; below 1 the number is 0.
fp_setexp:
        ld a,h
        or a
        jr nz,fp_range
        ld a,l
        or a
        jp z,fzero
        ld (FAC_EXP),a
        ret
fp_range:
        jp m,fzero
        jp e_ov

; fm_part: partial product: T := X + M * B, with M = ARG's 24-bit mantissa
; and X = the 24 bits at FM_X. Leaves X := T >> 8, ORs T's low byte into the
; sticky byte, and returns T in B:E:H:L. IX points at FP_T.
fm_part:
        ld de,(ARG+1)
        ld a,(ARG+3)
        ld c,a
        xor a
        ld h,a
        ld l,a
        ld (ix+3),4
fm_bit: add hl,hl                   ; B:A:H:L doubles; B's top bit comes out
        adc a,a
        rl b
        jr nc,fm_s1
        add hl,de
        adc a,c
        jr nc,fm_s1
        inc b
fm_s1:  add hl,hl
        adc a,a
        rl b
        jr nc,fm_s2
        add hl,de
        adc a,c
        jr nc,fm_s2
        inc b
fm_s2:  dec (ix+3)
        jr nz,fm_bit
        ld de,(FM_X)
        add hl,de
        ld e,a
        ld a,(FM_X+2)
        adc a,e
        ld e,a
        jr nc,fm_nx
        inc b
fm_nx:  ld a,(ix+4)
        or l
        ld (ix+4),a
        ld (ix+0),h
        ld (ix+1),e
        ld (ix+2),b
        ret

; fdiv: FAC := ARG / FAC, rounded; ?/0 when FAC is 0. fdivx: the same,
; unrounded. Restoring division of ARG's 24-bit mantissa by FAC's, 32
; quotient bits; a remainder left over becomes the sticky bit. The guard
; bytes of the operands are not used. Change A, BC, HL, IX; keep DE.
FD_E            equ FM_E            ; 2: exponent
FD_SG           equ FM_SG           ; the quotient's sign
FD_DH           equ FP_T+3          ; the divisor's top byte
FD_Q            equ FAC+1           ; 3: quotient bytes, complemented, in FAC

fdiv:   call fdivx
        jp fround
fdivx:  ld a,(FAC_EXP)
        or a
        jp z,e_dz
        ld b,a
        ld a,(ARG_EXP)
        or a
        jp z,fzero                  ; 0 / y
        push de
        ld ix,FP_T
        sub b
        ld l,a
        sbc a,a                     ; the difference's sign, extended
        ld h,a
        ld de,128
        add hl,de
        call fp_esg
        ld hl,(FAC+1)               ; C:D:E := minus the divisor
        xor a
        sub l
        ld e,a
        ld a,0
        sbc a,h
        ld d,a
        ld a,(FAC+3)
        ld (FD_DH),a
        ld c,a
        ld a,0
        sbc a,c
        ld c,a
        ld hl,(ARG+1)               ; the remainder: A:H:L
        ld a,(ARG+3)
        add hl,de
        adc a,c
        ld b,2                      ; dividend not below divisor: first bit 1
        jr c,fd_ge
        ld hl,(ARG+1)
        ld a,(ARG+3)
        ld b,1
        jr fd_go
fd_ge:  push hl
        ld hl,(FD_E)
        inc hl
        ld (FD_E),hl
        pop hl
fd_go:  call fd_byte
        ld (ix-(FP_T-FD_Q-2)),b
        ld b,1
        call fd_byte
        ld (ix-(FP_T-FD_Q-1)),b
        ld b,1
        call fd_byte
        ld (ix-(FP_T-FD_Q)),b
        ld b,1
        call fd_byte
        or h
        or l                        ; a remainder: sticky
        ld a,b
        jr z,fd_exact
        and 0FEh                    ; (complemented) bit 0 set
fd_exact:
        ld (FAC),a
        ld hl,FAC
        ld b,4
fd_cpl: ld a,(hl)                   ; the quotient the right way up
        xor 0FFh
        ld (hl),a
        inc hl
        djnz fd_cpl
        ld hl,(FD_E)
        jp fm_tail

; fp_esg: for fmulx and fdivx: FM_E := HL, the result's exponent; FM_SG :=
; the result's sign. Changes A and B.
fp_esg: ld (FM_E),hl
        ld a,(ARG_SGN)
        ld b,a
        ld a,(FAC_SGN)
        xor b
        ld (FM_SG),a
        ret

; fd_byte: eight quotient bits (fewer when B starts with its marker bit
; higher), complemented, into B. The remainder is A:H:L, C:D:E minus the
; divisor, FD_DH the divisor's top byte.
fd_byte:
fd_loop:
        add hl,hl
        adc a,a
        jr c,fd_sub                 ; 25 bits: above the divisor
        cp (ix+3)
        jr c,fd_bit                 ; below it: quotient bit 0
        jr z,fd_eq
fd_sub: add hl,de
        adc a,c
        or a
fd_bit: rl b
        jr nc,fd_loop
        ret
fd_eq:  push hl                     ; top bytes equal: try it
        add hl,de
        adc a,c
        jr nc,fd_fail
        inc sp
        inc sp
        or a
        jr fd_bit
fd_fail:
        pop hl
        ld a,(ix+3)
        scf
        jr fd_bit

; fcmp: compares ARG with FAC as 24-bit numbers: A := 1 when ARG < FAC, 2
; when equal, 4 when ARG > FAC. Changes C and HL; keeps FAC and ARG.
fcmp:   ld a,(ARG_EXP)
        or a
        jr z,fc_as                  ; a zero counts as positive
        ld a,(ARG_SGN)
fc_as:  ld c,a                      ; ARG's sign
        ld a,(FAC_EXP)
        or a
        jr z,fc_fs
        ld a,(FAC_SGN)
fc_fs:  xor c
        ld a,c
        jp m,fc_out                 ; signs differ: ARG's decides
        push de
        ld de,ARG_EXP               ; same signs: the magnitudes decide,
        ld hl,FAC_EXP               ; the exponents first (0 the lowest)
        ld a,(de)
        cp (hl)
        jr nz,fc_mag
        or a
        jr z,fc_eq
fc_loop:
        dec de
        dec hl
        ld a,(de)
        cp (hl)
        jr nz,fc_mag
        ld a,l
        cp (FAC+1) and 0FFh
        jr nz,fc_loop
fc_eq:  pop de
        ld a,2
        ret
fc_mag: pop de
        ld a,c
        jr nc,fc_out                ; |ARG| > |FAC|
        xor 80h
fc_out: rla                         ; bit 7 of A set: ARG is the lower
        ld a,4
        ret nc
        ld a,1
        ret

; fint: FAC := the largest whole number not above FAC (rounded to 24 bits
; first). Changes A, BC, HL; keeps DE.
fint:   call fround
        ld a,(FAC_EXP)
        cp 129
        jr c,fi_small
        cp 152
        ret nc                      ; no fraction bits
        sub 152
        neg                         ; fraction bits: 1..23
        ld b,a
        ld hl,FAC+1
        ld c,0                      ; the fraction's bits ORed
fi_byte:
        ld a,b
        cp 8
        jr c,fi_bits
        ld a,(hl)
        or c
        ld c,a
        ld (hl),0
        inc hl
        ld a,b
        sub 8
        ld b,a
        jr fi_byte
fi_bits:
        or a
        ld a,1                      ; the unit of the lowest whole bit
        jr z,fi_cut
        ld a,0FFh
fi_mask:
        add a,a
        djnz fi_mask
        ld b,a                      ; the bits that stay
        xor 0FFh
        and (hl)
        or c
        ld c,a
        ld a,(hl)
        and b
        ld (hl),a
        xor a
        sub b
fi_cut: ld b,a
        ld a,(FAC_SGN)
        or a
        ret p
        ld a,c
        or a
        ret z
        jp fincm                    ; negative with a fraction: one lower

fi_small:
        ld a,(FAC_SGN)              ; below 1: 0, or -1 when negative
        or a
        jp p,fzero
        jp fsgn

; fltint: FAC := HL as a signed number. fltuns: FAC := HL, 0-65535.
; fltbyte: FAC := A. Change A, BC, HL.
fltbyte:
        ld l,a
        ld h,0
fltuns: ld c,0
        jr fli_go
fltint: ld a,h
        and 80h
        ld c,a                      ; the sign
        jr z,fli_go
        xor a                       ; HL := -HL
        sub l
        ld l,a
        sbc a,a
        sub h
        ld h,a
fli_go: ld a,h
        or l
        jp z,fzero
        ld b,145                    ; HL's value is 0.HL * 2^16
        ld a,h
        or a
        jr nz,fli_n
        ld h,l
        ld l,a
        ld b,137
fli_n:  dec b                       ; until the leading 1 falls out
        add hl,hl
        jr nc,fli_n
        ld a,h                      ; and back in, one place right
        rra
        ld h,a
        ld a,l
        rra
        ld l,a
        ld (FAC+2),hl
        ld h,c
        ld l,b
        ld (FAC_EXP),hl
        ld hl,0
        ld (FAC),hl
        ret

; facint: HL := FAC truncated toward 0; ?FC unless -32768..32767.
; facaddr: the same modulo 65536, accepting -32768..65535 (an address).
; FAC is rounded to 24 bits first. Change A and BC.
facint: call facaddr
        ld a,(FAC_SGN)              ; the result's sign must be FAC's
        xor h
        ret p
        ld a,h                      ; or 0 for -1 < FAC < 0
        or l
        ret z
        jp e_fc
facaddr:
        call fround
        ld hl,0
        ld a,(FAC_EXP)
        sub 129
        ret c                       ; below 1
        sub 16
        jp nc,e_fc                  ; 65536 and up
        add a,17                    ; whole bits: 1..16
        ld c,a
        ld hl,(FAC+2)
        xor a
        ld b,a
fci_sh: add hl,hl                   ; the whole bits shift out into A:B
        rl b
        rla
        dec c
        jr nz,fci_sh
        ld h,a
        ld l,b
        ld a,(FAC_SGN)
        or a
        ret p
        xor a                       ; HL := -HL
        sub l
        ld l,a
        sbc a,a
        sub h
        ld h,a
        ret m
        or l
        ret z
        jp e_fc

float_end:
