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
        ld hl,FAC
        ld de,ARG
        ld bc,6
        ldir
        ret

; fzero: FAC := 0 (all six bytes, so a zero never carries a stray guard).
; Keeps BC, DE, HL.
fzero:  xor a
        ld (FAC),a
        ld (FAC+1),a
        ld (FAC+2),a
        ld (FAC+3),a
        ld (FAC_EXP),a
        ld (FAC_SGN),a
        ret

; fone: FAC := 1.
fone:   call fzero
        ld a,80h
        ld (FAC+3),a
        inc a
        ld (FAC_EXP),a
        ret

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
fsthl:  ld a,(FAC)
        or a
        call nz,fround
        ld a,(FAC_EXP)
        or a
        jr z,fst_zero
        ld a,(FAC+1)
        ld (hl),a
        inc hl
        ld a,(FAC+2)
        ld (hl),a
        inc hl
        ld a,(FAC+3)
        and 7Fh
        ld c,a
        ld a,(FAC_SGN)
        or c
        ld (hl),a
        inc hl
        ld a,(FAC_EXP)
        ld (hl),a
        ret
fst_zero:
        ld (hl),a
        inc hl
        ld (hl),a
        inc hl
        ld (hl),a
        inc hl
        ld (hl),a
        ret

; fround: rounds FAC to 24 bits, to nearest, a tie to the even neighbour; the
; guard byte becomes 0. ?OV when the largest number rounds up. Keeps DE, HL;
; changes A and BC.
fround: ld a,(FAC)
        or a
        ret z
        ld c,a
        xor a
        ld (FAC),a
        ld a,c
        cp 80h
        ret c                       ; below half: the 24 bits stand
        jr nz,fr_up
        ld a,(FAC+1)                ; exactly half: up only when odd
        rra
        ret nc
fr_up:  ld bc,(FAC+1)
        inc bc
        ld (FAC+1),bc
        ld a,b
        or c
        ret nz
        ld a,(FAC+3)
        inc a
        ld (FAC+3),a
        ret nz
        ld a,80h                    ; 0.111...1 rounded up to 1.0: 0.1 one higher
        ld (FAC+3),a
        ld a,(FAC_EXP)
        inc a
        ld (FAC_EXP),a
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
fpush:  ld a,(FAC)
        or a
        call nz,fround
        pop ix                      ; the caller's return address
        ld a,(FAC+3)
        and 7Fh
        ld c,a
        ld a,(FAC_SGN)
        or c
        ld l,a
        ld a,(FAC_EXP)
        ld h,a
        push hl
        ld hl,(FAC+1)
        push hl
        jp (ix)

fpoparg:
        pop ix
        pop hl
        ld (ARG+1),hl
        pop hl
        ld a,h
        ld (ARG_EXP),a
        ld a,l
        or 80h
        ld (ARG+3),a
        ld a,l
        and 80h
        ld (ARG_SGN),a
        xor a
        ld (ARG),a
        jp (ix)

float_end:
