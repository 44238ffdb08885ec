; Elementary functions of Zorva BASIC: SQR, SIN, COS, TAN, ATN, LOG, EXP, the
; power operator and RND, built on the core in float.asm.
;
; Every function takes its argument in FAC and leaves the result there,
; rounded to 24 bits; all keep DE and IY. Inside, the work is done with the
; unrounded operations (faddx, fsubx, fmulx, fdivx: 32-bit mantissas) and
; rounded once at the end, so that results are within about half a unit of
; the 24th bit. Each function reduces its argument to a short interval and
; evaluates a polynomial there (Chebyshev fits; each says its interval,
; degree and error). Constants are packed numbers (4 bytes): each
; polynomial's c_0 is exact, so the rounding of the rest is far below the
; result's last bit, and what needs more than 24 bits (pi/2, ln 2) is split.
;
; The chains of operations are written as calculator programs: `call ffc`
; followed by one byte an operation (F_ADD ..., F_ST+n, F_KA+k, F_POLY+n)
; and F_END; a byte costs what a call with its operand load costs in six.
; The temporaries are six-byte unpacked copies of FAC (guard byte included),
; so nothing is rounded on the way. ffc looks at the keyboard before every
; operation and the polynomial loop once a term, so no stretch comes near
; 4,000 instructions.

FF_T0           equ FPRAM+72        ; 6 each: the temporaries T0..T4
FF_T1           equ FPRAM+78
FF_T2           equ FPRAM+84
FF_T3           equ FPRAM+90        ; fpow's exponent
FF_T4           equ FPRAM+96        ; fpow's base
FF_Z            equ FPRAM+108       ; 6: ff_poly's variable
FF_Q            equ FPRAM+114       ; 1: quadrant (SIN/COS/TAN), region (ATN)
FF_NEG          equ FPRAM+115       ; 1: 80h when the result changes sign
FF_E            equ FPRAM+116       ; 2: an exponent or k
FF_N            equ FPRAM+118       ; 1: fpow's exponent as a count
FF_KIND         equ FPRAM+119       ; 1: 0 SIN, 1 COS, 2 TAN
FF_SEED         equ FPRAM+120       ; 4: RND's xorshift state, never 0
FF_LAST         equ FPRAM+124       ; 4: RND's last number, packed

; Calculator operations. F_END ends a program; 1..7 call a core routine;
; F_ST/F_LD/F_AR + n: Tn := FAC, FAC := Tn, ARG := Tn; F_KA/F_KF + k: ARG or
; FAC := constant k; F_POLY + n: FAC := the degree-n polynomial whose
; coefficients follow, highest first, in FAC.
F_END           equ 0
F_ADD           equ 1               ; FAC := ARG + FAC
F_SUB           equ 2               ; FAC := ARG - FAC
F_MUL           equ 3
F_DIV           equ 4               ; FAC := ARG / FAC
F_MOV           equ 5               ; ARG := FAC
F_INT           equ 6
F_MOVFA         equ 7               ; FAC := ARG
F_ST            equ 20h
F_LD            equ 40h
F_AR            equ 60h
F_KA            equ 80h
F_KF            equ 0A0h
F_POLY          equ 0C0h
; the constants, by their place in ffk_base
F_HALF          equ 0
F_ONE           equ 1
F_MONE          equ 2
F_2PI           equ 3
F_PI2A          equ 4
F_PI2B          equ 5
F_PI2C          equ 6
F_RLN2          equ 7
F_LN2A          equ 8
F_LN2B          equ 9

ffunc_start:

; ---- the calculator ------------------------------------------------------

; ffc: runs the program that follows the call (see above), then goes on
; after its F_END. Changes AF, BC, DE, HL.
ffc:            pop hl
ffc_loop:       call kpoll
                ld a,(hl)
                inc hl
                or a
                jr nz,ffc_op
                jp (hl)
ffc_op:         cp F_POLY
                jr c,ffc_one
                and 1Fh
                call ff_poly
                jr ffc_loop
ffc_one:        push hl
                call ffc_do
                pop hl
                jr ffc_loop
ffc_do:         ld c,a
                and 1Fh
                ld b,a
                xor c                   ; the operation's top three bits
                jr z,ffc_fn
                cp F_KA
                jr nc,ffc_k
                ld a,b                  ; Tn is at FF_T0 + 6n
                add a,a
                add a,b
                add a,a
                ld hl,FF_T0
                call ffc_at
                ld a,c
                cp F_LD
                jr c,ff_save
                cp F_AR
                jr c,ff_load
                jr ff_arg
ffc_k:          ld a,b                  ; constant k at ffk_base + 4k
                add a,a
                add a,a
                ld hl,ffk_base
                call ffc_at
                ld a,c
                cp F_KF
                jp c,fldarg
                jp fldhl
ffc_fn:         ld a,b
                add a,a
                ld hl,ffc_fns-2
                call ffc_at
                ld a,(hl)
                inc hl
                ld h,(hl)
                ld l,a
                jp (hl)
; ffc_at: HL += A.
ffc_at:         add a,l
                ld l,a
                ret nc
                inc h
                ret

; ff_save: the six bytes at HL := FAC. ff_load: FAC := the six bytes at HL.
; ff_arg: ARG := the six bytes at HL. All change BC, DE and HL.
ff_save:        ex de,hl
                ld hl,FAC
                jr ff_copy
ff_load:        ld de,FAC
                jr ff_copy
ff_arg:         ld de,ARG
ff_copy:        ld bc,6
                ldir
                ret

; ff_poly: FAC := c_n z^n + ... + c_1 z + c_0 for z = FAC. A is n, HL
; points at c_n ... c_0, packed numbers (Horner's rule, unrounded); HL is
; left past c_0. Changes FF_Z and IX.
ff_poly:        push af
                push hl
                ld hl,FF_Z
                call ff_save
                pop hl
                call fldhl
                inc hl
                pop af
ffh_loop:       push af
                push hl
                ld hl,FF_Z
                call ff_arg
                call fmulx
                pop hl
                call fldarg
                inc hl
                push hl
                call faddx
                call kpoll
                pop hl
                pop af
                dec a
                jr nz,ffh_loop
                ret

; ff_low2: A := (FAC mod 4) for a whole FAC of 1 or more (any sign; 0 from
; 2^24 up, where every number is a multiple of 4, and for 0). Shifts the
; integer part of the mantissa out through D; changes BC, D, HL.
ff_low2:        ld a,(FAC_EXP)
                sub 128
                cp 25
                jr c,ffb_go
                xor a
                ret
ffb_go:         ld b,a                  ; bits before the binary point
                ld hl,(FAC+1)
                ld a,(FAC+3)
                ld d,0
ffb_loop:       add hl,hl
                rla
                rl d
                djnz ffb_loop
                ld a,d
                and 3
                ret

; ---- SQR -----------------------------------------------------------------

; fsqr: FAC := the square root of FAC; ?FC when FAC is negative.
; x = m 2^(2h) with m in [.25,1): sqrt(m) from a cubic, then two Newton
; steps y := (y + m/y)/2 (the cubic is within .2 %, two steps give 2^-38);
; the exponent is halved apart.
fsqr:           ld a,(FAC_EXP)
                or a
                ret z
                ld a,(FAC_SGN)
                and 80h
                jp nz,e_fc
                push de
                ld a,(FAC_EXP)
                ld (FF_E),a
                and 1                   ; odd exponent: m/2, one more for h
                ld b,a
                ld a,128
                sub b
                ld (FAC_EXP),a
                call ffc
ffq_data:       db F_ST+0,F_POLY+3
                ; sqrt(m), m in [.25,1), Chebyshev fit degree 3 (start for Newton); max error 0.000902 (2^-10.1)
                db 0BDh,095h,077h,07Eh  ; 0.241782143712
                db 058h,09Dh,0BDh,080h  ; -0.740682125092
                db 0E0h,01Ah,023h,081h  ; 1.27425765991
                db 0CBh,07Ah,066h,07Eh  ; 0.225077793002
                db F_ST+1,F_AR+0,F_DIV,F_AR+1,F_ADD,F_KA+F_HALF,F_MUL
                db F_ST+1,F_AR+0,F_DIV,F_AR+1,F_ADD,F_KA+F_HALF,F_MUL
                db F_END
ffq_data_end:   ld a,(FF_E)             ; exponent += E>>1 - 64 + (E odd)
                srl a
                ld b,64
                jr nc,ffq_even
                dec b
ffq_even:       sub b
                ld hl,FAC_EXP
                add a,(hl)
                ld (hl),a
                jr ff_done

; ---- EXP -----------------------------------------------------------------

; fexp: FAC := e^FAC; ?OV when too big, 0 when too small.
fexp:           push de
                call ffe_core
ff_done:        call fround
                pop de
                ret

; ffe_core: FAC := e^FAC unrounded (FAC may carry a guard byte). k is the
; whole number nearest x/ln2 and r = x - k ln2 (ln2 split in a 24-bit part,
; so that k times it is exact, and the rest), |r| <= ln2/2; e^x = e^r 2^k.
; Changes T0, T1, FF_E, FF_Z.
ffe_core:       ld a,(FAC_EXP)
                or a
                jp z,fone
                cp 128+8
                jr c,ffe_small          ; |x| < 128
                ld a,(FAC_SGN)
                and 80h
                jp z,e_ov
                jp fzero
ffe_small:      call ffc
ffe_k_data:     db F_ST+0,F_KA+F_RLN2,F_MUL,F_KA+F_HALF,F_ADD,F_INT,F_ST+1,F_END
ffe_k_data_end: call facint             ; k = INT(x/ln2 + 1/2); FAC stays k
                ld (FF_E),hl
                call ffc
ffe_r_data:     db F_KA+F_LN2A,F_MUL,F_AR+0,F_SUB       ; exact: x, k ln2a close
                db F_ST+0,F_KF+F_LN2B,F_AR+1,F_MUL,F_AR+0,F_SUB
                db F_POLY+6             ; e^r, between .7 and 1.5
                ; exp(r) = 1 + r + r^2 Q(r), |r| <= ln(2)/2+.001, Chebyshev fit degree 6; max error 1.01e-08 (2^-26.6)
                db 038h,089h,036h,077h  ; 0.00139263924211
                db 06Ah,006h,009h,07Ah  ; 0.00836334563792
                db 08Ch,0AAh,02Ah,07Ch  ; 0.0416665524244
                db 06Eh,0AAh,02Ah,07Eh  ; 0.166665762663
                db 000h,000h,000h,080h  ; 0.5
                db 000h,000h,000h,081h  ; 1
                db 000h,000h,000h,081h  ; 1
                db F_END
ffe_r_data_end: ld hl,(FF_E)            ; exponent + k, in 16 bits
                ld a,(FAC_EXP)
                ld e,a
                ld d,0
                add hl,de
                ld a,h
                or a
                jr nz,ffe_out
                ld a,l
                or a
                jp z,fzero
                ld (FAC_EXP),a
                ret
ffe_out:        and 80h
                jp z,e_ov
                jp fzero

; ---- LOG -----------------------------------------------------------------

; flog: FAC := the natural logarithm of FAC; ?FC unless FAC > 0.
flog:           ld a,(FAC_EXP)
                or a
                jp z,e_fc
                ld a,(FAC_SGN)
                and 80h
                jp nz,e_fc
                push de
                call ffl_core
                jp ff_done

; ffl_core: FAC := ln FAC unrounded, for FAC > 0. x = m 2^e with m in
; [sqrt(.5), sqrt(2)); ln m = s Q(s^2) with s = (1-m)/(1+m), |s| < .172
; (1-m is exact, so LOG near 1 keeps its relative accuracy); then + e ln2,
; the small part of ln2 first. Changes T0, T1, T2, FF_E, FF_Z.
ffl_core:       ld a,(FAC_EXP)
                ld (FF_E),a
                ld a,128
                ld (FAC_EXP),a          ; m in [.5,1)
                ld hl,ffk_rsqr2
                call fldarg
                call fcmp
                cp 4
                jr nz,ffl_m
                ld hl,FAC_EXP           ; m < sqrt(.5): 2m, e one less
                inc (hl)
                ld hl,FF_E
                dec (hl)
ffl_m:          call ffc
ffl_s_data:     db F_ST+0,F_KA+F_ONE,F_ADD,F_ST+1       ; 1+m
                db F_LD+0,F_KA+F_ONE,F_SUB,F_MOV        ; 1-m
                db F_LD+1,F_DIV,F_ST+2,F_MOV,F_MUL      ; s, s^2
                db F_POLY+3
                ; ln(m)/s = -2 + z Q(z), s=(1-m)/(1+m), z=s^2, m in [sqrt(.5),sqrt(2)], Chebyshev fit degree 3; max error 2.53e-09 (2^-28.6)
                db 008h,073h,097h,07Fh  ; -0.29579949379
                db 018h,0BEh,0CCh,07Fh  ; -0.399887800217
                db 0AEh,0AAh,0AAh,080h  ; -0.666666865349
                db 000h,000h,080h,082h  ; -2
                db F_MOV,F_LD+2,F_MUL,F_END             ; 32-bit s in FAC
ffl_s_data_end: ld a,(FF_E)
                sub 128                 ; e, -128..127
                ret z
                push af
                ld hl,FF_T0
                call ff_save
                pop af
                ld l,a
                rla
                sbc a,a
                ld h,a
                call fltint
                call ffc
ffl_e_data:     db F_ST+1,F_KA+F_LN2B,F_MUL,F_AR+0,F_ADD
                db F_ST+0,F_LD+1,F_KA+F_LN2A,F_MUL,F_AR+0,F_ADD,F_END
ffl_e_data_end: ret

; ---- ATN -----------------------------------------------------------------

; fatn: FAC := the arc tangent of FAC, in radians. With x = |FAC|:
; x <= sqrt(2)-1: atn x directly; up to sqrt(2)+1: pi/4 + atn((x-1)/(x+1));
; beyond: pi/2 + atn(-1/x). The reduced u has |u| <= sqrt(2)-1.
fatn:           ld a,(FAC_EXP)
                or a
                ret z
                push de
                ld a,(FAC_SGN)
                ld (FF_NEG),a
                xor a
                ld (FAC_SGN),a
                ld (FF_Q),a             ; nothing to add
                ld hl,ffk_sqr2m1
                call fldarg
                call fcmp
                dec a                   ; 1: ARG < FAC
                jr nz,ffa_poly
                ld hl,ffk_sqr2p1
                call fldarg
                call fcmp
                dec a
                jr z,ffa_big
                ld a,1
                ld (FF_Q),a             ; pi/4
                call ffc
ffa_m_data:     db F_ST+0,F_KA+F_ONE,F_ADD,F_ST+1       ; x+1
                db F_LD+0,F_KA+F_MONE,F_ADD,F_MOV       ; x-1, exact
                db F_LD+1,F_DIV,F_END
ffa_m_data_end: jr ffa_poly
ffa_big:        ld a,2
                ld (FF_Q),a             ; pi/2
                call ffc
ffa_b_data:     db F_KA+F_MONE,F_DIV,F_END              ; -1/x
ffa_b_data_end:
ffa_poly:       call ffc
ffa_p_data:     db F_ST+0,F_MOV,F_MUL,F_POLY+5
                ; atn(u)/u = 1 + z Q(z) in z=u^2, |u| <= sqrt(2)-1, Chebyshev fit degree 5; max error 2.75e-09 (2^-28.4)
                db 0AFh,022h,084h,07Dh  ; -0.0645192787051
                db 018h,008h,05Ch,07Dh  ; 0.107437312603
                db 01Bh,010h,092h,07Eh  ; -0.142639562488
                db 098h,0CBh,04Ch,07Eh  ; 0.199995398521
                db 0AAh,0AAh,0AAh,07Fh  ; -0.333333313465
                db 000h,000h,000h,081h  ; 1
                db F_MOV,F_LD+0,F_MUL,F_END
ffa_p_data_end: ld a,(FF_Q)
                or a
                jr z,ffa_sign
                dec a
                jr nz,ffa_add
                call ffc                ; t + pi/4 as (2t + pi/2)/2
ffa_d_data:     db F_MOV,F_ADD,F_END
ffa_d_data_end:
ffa_add:        call ffc                ; pi/2 from its small end
ffa_a_data:     db F_KA+F_PI2C,F_ADD,F_KA+F_PI2B,F_ADD,F_KA+F_PI2A,F_ADD,F_END
ffa_a_data_end: ld a,(FF_Q)
                dec a
                jr nz,ffa_sign
                ld hl,FAC_EXP           ; never 0 here
                dec (hl)
ffa_sign:       call fround
                ld a,(FF_NEG)
                ld (FAC_SGN),a
                pop de
                ret

; ---- SIN, COS, TAN -------------------------------------------------------

; fsin, fcos, ftan: FAC := the sine, cosine, tangent of FAC (radians).
; x = k pi/2 + r with |r| <= pi/4; by k mod 4 the result is +-sin r or
; +-cos r (TAN: their quotient). Beyond 2^24, where a number's neighbours
; are more than a turn apart and its angle means nothing, ?FC.
; pi/2 is split in three: two parts of 15 bits, whose products with k
; (below 2^17, i.e. x below about 2E5) are exact, and the rest, so r keeps
; its accuracy even next to a multiple of pi/2.
fsin:           xor a
                jr ffs_go
fcos:           ld a,1
                jr ffs_go
ftan:           ld a,2
ffs_go:         push de
                ld (FF_KIND),a
                ld a,(FAC_SGN)          ; odd functions: the sign comes back
                ld (FF_NEG),a
                xor a
                ld (FAC_SGN),a
                ld a,(FF_KIND)
                dec a
                jr nz,ffs_odd
                ld (FF_NEG),a           ; COS is even
ffs_odd:        ld a,(FAC_EXP)
                cp 128+25
                jp nc,e_fc
                call ffc
ffs_k_data:     db F_ST+0,F_KA+F_2PI,F_MUL,F_KA+F_HALF,F_ADD,F_INT,F_END
ffs_k_data_end: call ff_low2
                ld (FF_Q),a
                call ffc
ffs_r_data:     db F_ST+1,F_KF+F_PI2A,F_AR+1,F_MUL,F_AR+0,F_SUB
                db F_ST+0,F_KF+F_PI2B,F_AR+1,F_MUL,F_AR+0,F_SUB
                db F_ST+0,F_KF+F_PI2C,F_AR+1,F_MUL,F_AR+0,F_SUB,F_END
ffs_r_data_end: ld a,(FF_KIND)
                cp 2
                jr z,ffs_tan
                ld hl,FF_Q              ; COS x = SIN(x + pi/2)
                add a,(hl)
                ld (hl),a
                rra
                jr c,ffs_cos
                call ffs_sinr
                jr ffs_sign
ffs_cos:        call ffs_cosr
ffs_sign:       ld a,(FF_Q)             ; quadrants 2 and 3: negative
                and 2
                rrca
                rrca
ffs_flip:       ld hl,FF_NEG
                xor (hl)
                push af
                call fround
                pop bc
                ld a,(FAC_EXP)
                or a
                jr z,ffs_end            ; 0 stays unsigned
                ld a,(FAC_SGN)
                xor b
                ld (FAC_SGN),a
ffs_end:        pop de
                ret
ffs_tan:        call ffs_sinr
                call ffc
ffs_t_data:     db F_ST+4,F_LD+2,F_END  ; sin r; r again
ffs_t_data_end: call ffs_cosr
                ld a,(FF_Q)
                rra
                jr c,ffs_cot
                call ffc
ffs_tn_data:    db F_AR+4,F_DIV,F_END   ; sin r / cos r
ffs_tn_data_end:
                xor a
                jr ffs_flip
ffs_cot:        call ffc
ffs_ct_data:    db F_MOV,F_LD+4,F_DIV,F_END     ; -cos r / sin r
ffs_ct_data_end:
                ld a,80h
                jr ffs_flip

; ffs_sinr: FAC := sin r for r = FAC, leaving r in T2. ffs_cosr: cos r.
ffs_sinr:       call ffc
ffs_sn_data:    db F_ST+2,F_MOV,F_MUL,F_POLY+3
                ; sin(r)/r = 1 + z Q(z) in z=r^2, |r| <= pi/4+.002, Chebyshev fit degree 3; max error 1.28e-08 (2^-26.2)
                db 066h,061h,0CDh,074h  ; -0.000195866072318
                db 00Eh,086h,008h,07Ah  ; 0.00833274237812
                db 0A9h,0AAh,0AAh,07Eh  ; -0.166666641831
                db 000h,000h,000h,081h  ; 1
                db F_MOV,F_LD+2,F_MUL,F_END
ffs_sn_data_end:
                ret
ffs_cosr:       call ffc
ffs_cs_data:    db F_MOV,F_MUL,F_POLY+4
                ; cos(r) in z=r^2, |r| <= pi/4+.002, Chebyshev fit degree 4; max error 4.87e-11 (2^-34.3)
                db 0B5h,07Eh,04Ch,071h  ; 2.43776976276e-05
                db 0AEh,003h,0B6h,077h  ; -0.00138865946792
                db 09Dh,0AAh,02Ah,07Ch  ; 0.0416666157544
                db 000h,000h,080h,080h  ; -0.5
                db 000h,000h,000h,081h  ; 1
                db F_END
ffs_cs_data_end:
                ret

; ---- the power operator --------------------------------------------------

; fpow: FAC := ARG ^ FAC. x^0 = 1 (0^0 too); 0^y = 0 for y > 0, ?/0 for
; y < 0. A whole y with |y| < 128 goes by repeated squaring (2^10 = 1024 and
; (-2)^3 = -8 exactly; 1/x first for y < 0, so that small results underflow
; to 0 instead of overflowing on the way); its error grows with |y|, which is
; why larger ones take e^(y ln|x|), the sign from y's parity. A negative x
; with a fractional y is ?FC.
fpow:           push de
                call ffc
ffp_a_data:     db F_ST+3,F_MOVFA,F_ST+4,F_END  ; T3 y, T4 x
ffp_a_data_end: xor a
                ld (FF_NEG),a
                ld a,(FF_T3+4)
                or a
                jr nz,ffp_y
                call fone
                jp ffp_end
ffp_y:          ld a,(FF_T4+4)
                or a
                jr nz,ffp_x
                ld a,(FF_T3+5)          ; 0^y
                and 80h
                jp nz,e_dz
                call fzero
                jp ffp_end
ffp_x:          call ffc
ffp_i_data:     db F_LD+3,F_INT,F_AR+3,F_END
ffp_i_data_end: call fcmp
                cp 2
                jr nz,ffp_frac
                ld a,(FF_T3+4)
                cp 128+8
                jr nc,ffp_bigint
                call facint             ; -127..127
                ld a,(FF_T3+5)
                and 80h
                ld a,l
                jr z,ffp_pos
                neg
                push af
                call ffc
ffp_r_data:     db F_LD+4,F_KA+F_ONE,F_DIV,F_ST+4,F_END ; 1/x
ffp_r_data_end: pop af
ffp_pos:        add a,a                 ; n's bits from the top, a marker
                inc a                   ; bit below them
ffp_top:        add a,a
                jr nc,ffp_top           ; n's leading 1 out: the product is x
                ld (FF_N),a
                ld hl,FF_T4
                call ff_load
ffp_loop:       ld hl,FF_N              ; per bit: square, times x when set
                ld a,(hl)
                add a,a
                ld (hl),a
                jr z,ffp_round          ; the marker: no bits left
                push af
                call ffc
ffp_s_data:     db F_MOV,F_MUL,F_END
ffp_s_data_end: pop af
                jr nc,ffp_loop
                call ffc                ; x itself, exact: only 1/x rounds
ffp_m_data:     db F_AR+4,F_MUL,F_END
ffp_m_data_end: jr ffp_loop
ffp_bigint:     ld a,(FF_T4+5)          ; |y| >= 128, whole
                and 80h
                jr z,ffp_log
                call ff_low2
                and 1
                jr z,ffp_log
                ld a,80h                ; odd power of a negative number
                ld (FF_NEG),a
                jr ffp_log
ffp_frac:       ld a,(FF_T4+5)
                and 80h
                jp nz,e_fc
ffp_log:        ld hl,FF_T4
                call ff_load
                xor a
                ld (FAC_SGN),a
                call ffl_core
                call ffc
ffp_l_data:     db F_AR+3,F_MUL,F_END
ffp_l_data_end: call ffe_core
ffp_round:      call fround
                ld a,(FF_NEG)
                or a
                call nz,fneg
ffp_end:        pop de
                ret

; ---- RND -----------------------------------------------------------------

; frnd: RND(FAC). FAC > 0: the next number of the sequence, 0 <= r < 1;
; FAC = 0: the last one again; FAC < 0: the state is set from the number's
; four bytes (so the same argument always starts the same sequence) and its
; first number given. The generator is xorshift32 (period 2^32-1); a number
; is the state over 2^32, normalised and cut (not rounded, so never 1) to 24
; bits.
frnd:           ld a,(FAC_EXP)
                or a
                jr nz,ffr_arg
                ld hl,FF_LAST
                jp fldhl
ffr_arg:        push de
                ld a,(FAC_SGN)
                and 80h
                jr z,ffr_next
                ld hl,FF_SEED
                call fsthl
                ld hl,FF_SEED           ; x xor a key: the sign bit keeps it
                ld de,ffk_rndkey        ; from 0 (the key's bit 23 is 0)
                ld b,4
ffr_key:        ld a,(de)
                xor (hl)
                ld (hl),a
                inc hl
                inc de
                djnz ffr_key
                ld b,4                  ; stir, so near seeds part at once
ffr_stir:       push bc
                call ffr_step
                pop bc
                djnz ffr_stir
ffr_next:       call ffr_step
                ld hl,(FF_SEED)         ; L guard, H bits 7..0
                ld de,(FF_SEED+2)       ; E bits 15..8, D bits 23..16
                ld c,128
ffr_norm:       ld a,d
                or a
                jp m,ffr_put
                add hl,hl
                ld a,e
                rla
                ld e,a
                rl d
                dec c                   ; the state is never 0: this ends
                jr ffr_norm
ffr_put:        ld (FAC+2),de
                ld a,h
                ld (FAC+1),a
                ld a,c
                ld (FAC_EXP),a
                xor a
                ld (FAC),a
                ld (FAC_SGN),a
                ld hl,FF_LAST
                call fsthl
                pop de
                ret

; ffr_step: one xorshift32 step of FF_SEED: x ^= x<<13, x ^= x>>17,
; x ^= x<<5. The value is held as D E H L, D the highest byte.
ffr_step:       ld a,(FF_SEED+2)        ; x<<8 ...
                ld d,a
                ld a,(FF_SEED+1)
                ld e,a
                ld a,(FF_SEED)
                ld h,a
                ld l,0
                ld b,5                  ; ... <<5
                call ffr_shl
                call ffr_xor
                ld a,(FF_SEED+3)        ; x>>17 touches the two low bytes
                srl a
                ld d,a
                ld a,(FF_SEED+2)
                rra
                ld hl,FF_SEED
                xor (hl)
                ld (hl),a
                inc hl
                ld a,d
                xor (hl)
                ld (hl),a
                ld hl,(FF_SEED)
                ld de,(FF_SEED+2)
                ld b,5
                call ffr_shl
; ffr_xor: FF_SEED ^= D E H L.
ffr_xor:        ld a,(FF_SEED)
                xor l
                ld (FF_SEED),a
                ld a,(FF_SEED+1)
                xor h
                ld (FF_SEED+1),a
                ld a,(FF_SEED+2)
                xor e
                ld (FF_SEED+2),a
                ld a,(FF_SEED+3)
                xor d
                ld (FF_SEED+3),a
                ret
; ffr_shl: D E H L shifted left B times.
ffr_shl:        add hl,hl
                ld a,e
                rla
                ld e,a
                rl d
                djnz ffr_shl
                ret

; frndinit: seeds RND at power-on; RND(0) before any RND gives 0.
; frndmix: FF_SEED ^= HL, reseeded should that leave the state 0. Both keep
; BC, DE.
frndinit:       ld hl,0
                ld (FF_LAST),hl
                ld (FF_LAST+2),hl
ffr_init:       ld hl,(ffk_rndseed)
                ld (FF_SEED),hl
                ld hl,(ffk_rndseed+2)
                ld (FF_SEED+2),hl
                ret
frndmix:        ld a,(FF_SEED)
                xor l
                ld (FF_SEED),a
                ld a,(FF_SEED+1)
                xor h
                ld (FF_SEED+1),a
                ld hl,(FF_SEED)
                ld a,h
                or l
                ld hl,(FF_SEED+2)
                or h
                or l
                ret nz
                jr ffr_init

ffunc_end:

; ---- constants -------------------------------------------------------------
; Packed numbers, rounded from 50-digit arithmetic; the polynomials,
; in the programs above, are Chebyshev fits (nearly minimax) on the interval
; given, the error the fit's largest on it.

ffunc_data:
ffc_fns         dw faddx,fsubx,fmulx,fdivx,fmovaf,fint,fmovfa   ; F_ADD ... F_MOVFA
; ffk_base: the constants the programs name, in the order of F_HALF ...;
; pi/2 in three parts: 15 bits, 15 bits and the rest (a+b+c within 1E-19)
ffk_base:
                db 000h,000h,000h,080h  ; 0.5
                db 000h,000h,000h,081h  ; 1
                db 000h,000h,080h,081h  ; -1
                db 083h,0F9h,022h,080h  ; 0.636619746685
                db 000h,00Eh,049h,081h  ; 1.57073974609 (15 bits)
                db 000h,050h,06Dh,072h  ; 5.6579709053e-05 (15 bits)
                db 031h,05Ah,008h,063h  ; 9.92093629471e-10
                db 03Bh,0AAh,038h,081h  ; 1.44269502163
                db 018h,072h,031h,080h  ; 0.693147182465, ln2a: k ln2a is exact
                db 008h,0E3h,082h,064h  ; -1.90465421213e-09
ffk_rsqr2       db 0F3h,004h,035h,080h  ; 0.707106769085
ffk_sqr2m1      db 0CDh,013h,054h,07Fh  ; 0.414213567972
ffk_sqr2p1      db 07Ah,082h,01Ah,082h  ; 2.41421365738
ffk_rndseed     db 035h,0C6h,01Eh,0A7h  ; any non-zero state
ffk_rndkey      db 09Dh,04Ah,033h,05Ch  ; bit 23 (byte 2, bit 7) must stay 0
ffunc_data_end:
