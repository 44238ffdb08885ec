; ===========================================================================
; Zorva BASIC: expressions and 16-bit arithmetic.
;
; Expressions are parsed by precedence climbing: expr reads an operand and
; then takes every binary operator that binds at least as tightly as its
; caller allows, calling itself for the right-hand side. Precedence, low to
; high: OR 1, AND 2, NOT 3, relations 4, + - 5, * / 6, unary minus 7.
; Numbers are signed 16-bit; a result outside -32768..32767 is ?OV ERROR.
; The processor's overflow flag is not there, so overflow is found from
; the operands' and the result's signs. Only Z and C are relied on.
; ===========================================================================

; eval: the expression at DE. HL = the value (or the string's descriptor),
; VALTYP = its type; DE past it.
eval:
                ld a,1
; expr: an expression whose operators bind at least A tightly.
expr:
                ld b,a
                ld hl,-STKLIMIT         ; deep nesting: out of stack
                add hl,sp
                jp nc,e_om
                push bc                 ; B = the weakest precedence taken
                rst R_GETC
                inc de
                cp '-'
                jr z,xp_minus
                cp TK_NOT
                jp z,xp_not
                cp '+'
                jr z,xp_plus
                dec de
                call primary
xp_loop:
                push hl                 ; the left operand
                rst R_GETC
                jr z,xp_none            ; the end of the statement
                ld hl,opchars
                ld b,OPCOUNT
xp_find:
                cp (hl)
                jr z,xp_op
                inc hl
                djnz xp_find
xp_none:
                pop hl
                pop bc
                ret
xp_op:
                ld bc,OPCOUNT
                add hl,bc
                ld a,(hl)               ; its precedence
                add hl,bc
                ld c,(hl)               ; its operation
                ld b,a
                pop hl
                ex (sp),hl              ; H = the weakest precedence taken
                ld a,b
                cp h
                ex (sp),hl
                jr c,xp_ret             ; binds too loosely: the caller's
                inc de
                ld a,c
                or a
                jr nz,xp_right
                call relop              ; < = >, alone or in twos
                ld b,4
xp_right:
                push hl
                ld a,(VALTYP)
                ld l,a
                ld h,c
                push hl                 ; the operation, the left type
                ld a,b
                inc a                   ; the right side binds tighter
                call expr
                pop bc
                ld a,(VALTYP)
                cp c
                jp nz,e_tm
                ex de,hl                ; DE = right
                ex (sp),hl              ; HL = left, the text pointer saved
                call apply
                pop de
                jr xp_loop
xp_ret:
                pop bc
                ret
xp_minus:
                rst R_GETC
                call isdigit
                jr nc,xp_negate
                call number             ; -32768 is a number of its own
                xor a
                ld (VALTYP),a
                ld a,h
                or l
                jr z,xp_loop
                call neghl
                ld a,h
                rla
                jr c,xp_loop
                jp e_ov
xp_negate:
                call xp_unary
                call negate
                jr xp_loop
xp_plus:
                call xp_unary
                jr xp_loop
xp_not:
                ld a,4                  ; NOT A=B is NOT (A=B)
                call expr
                call numchk
                ld a,h
                xor 0FFh
                ld h,a
                ld a,l
                xor 0FFh
                ld l,a
                jp xp_loop
xp_unary:
                ld a,7
                call expr
                jp numchk

; relop: A relation: C = 8 + its bits, LT 1, EQ 2, GT 4, from the
; character just passed and the one after it (<> <= >= =< => ><).
relop:
                dec de
                ld c,8
rl_char:
                rst R_GETC
                ld b,1
                cp '<'
                jr z,rl_bit
                ld b,2
                cp '='
                jr z,rl_bit
                ld b,4
                cp '>'
                ret nz
rl_bit:
                ld a,c
                and b
                ret nz                  ; the same one again: not part of it
                ld a,c
                or b
                ld c,a
                inc de
                cp 8+2                  ; '=' alone may take one more
                jr z,rl_char
                cp 8+1
                jr z,rl_char
                cp 8+4
                jr z,rl_char
                ret

; apply: HL = left op DE, operation B, operand type C (0 numbers, 1 strings).
apply:
                call kpoll              ; a long expression keeps looking
                ld a,b
                cp OP_REL
                jr nc,ap_rel
                dec c
                jr z,ap_str
                dec a
                jr z,iadd
                dec a
                jr z,isub
                dec a
                jp z,imul
                dec a
                jp z,idiv
                dec a
                jr z,ap_and
                ld a,h                  ; OR
                or d
                ld h,a
                ld a,l
                or e
                ld l,a
                ret
ap_and:
                ld a,h
                and d
                ld h,a
                ld a,l
                and e
                ld l,a
                ret
ap_str:
                dec a
                jp z,concat
                jp e_tm
ap_rel:
                and 7
                push af
                dec c
                jr z,ap_strrel
                call cmpnum
                jr ap_truth
ap_strrel:
                call cmpstr
ap_truth:
                pop bc
                and b
                ld hl,0
                jr z,ap_false
                dec hl                  ; true is -1
ap_false:
                xor a
                ld (VALTYP),a
                ret

; cmpnum: signed HL against DE: A = 1 below, 2 equal, 4 above.
cmpnum:
                ld a,h
                xor 80h
                ld h,a
                ld a,d
                xor 80h
                ld d,a
                call cphlde
cmpres:
                ld a,2
                ret z
                ld a,1
                ret c
                ld a,4
                ret

; iadd: HL = HL + DE, ?OV ERROR when the sum leaves 16 bits signed:
; both operands of one sign and the sum of the other.
iadd:
                ld a,h
                xor d
                ld b,a
                ld c,h
                add hl,de
ia_check:
                ld a,b
                rla
                ret c                   ; signs differed: no overflow
                ld a,c
                xor h
                rla
                ret nc
                jp e_ov

; isub: HL = HL - DE; overflow when the signs differ and the result's
; sign is not the left operand's.
isub:
                ld a,h
                xor d
                ld b,a
                ld c,h
                or a
                sbc hl,de
                ld a,b
                rla
                ret nc                  ; same signs: no overflow
                ld a,c
                xor h
                rla
                ret nc
                jp e_ov

; imul: HL = HL * DE.
imul:
                ld a,h
                xor d
                push af                 ; bit 7: the product is negative
                call abshl
                ex de,hl
                call abshl
                ld b,h                  ; BC = |left|
                ld c,l
                ld hl,0
                ld a,d
                or a
                ld a,16
                jr nz,im_loop
                ld d,e                  ; a one-byte multiplier: 8 rounds
                ld a,8
im_loop:
                add hl,hl
                jp c,e_ov
                ex de,hl
                add hl,hl
                ex de,hl
                jr nc,im_next
                add hl,bc
                jp c,e_ov
im_next:
                dec a
                jr nz,im_loop
                jr signed

; idiv: HL = HL / DE, truncated toward 0.
idiv:
                ld a,d
                or e
                jp z,e_dz
                ld a,h
                xor d
                push af
                call abshl
                ex de,hl
                call abshl
                ex de,hl
                call udiv
; signed: HL (0-65535) with the sign in bit 7 of the pushed A; ?OV ERROR
; outside -32768..32767.
signed:
                pop af
                rla
                jr c,sg_neg
                ld a,h
                rla
                ret nc
                jp e_ov
sg_neg:
                call neghl
                ld a,h
                or l
                ret z
                ld a,h
                rla
                ret c
                jp e_ov

; udiv: HL = HL / DE, DE = the remainder (unsigned, DE <= 32768).
udiv:
                ld b,d
                ld c,e
                ex de,hl                ; DE = dividend
                xor a                   ; BC = -divisor
                sub c
                ld c,a
                ld a,0
                sbc a,b
                ld b,a
                ld hl,0                 ; the remainder
                ld a,16
ud_loop:
                push af
                ex de,hl                ; the dividend's top bit into C
                add hl,hl
                ex de,hl
                ld a,0
                rla
                add hl,hl
                or l
                ld l,a
                add hl,bc               ; C: the divisor fits
                jr c,ud_one
                sbc hl,bc               ; (C is clear) put it back
                jr ud_next
ud_one:
                inc e
ud_next:
                pop af
                dec a
                jr nz,ud_loop
                ex de,hl
                ret

; negate: HL = -HL; ?OV ERROR for -32768.
negate:
                ld a,h
                cp 80h
                jr nz,neghl
                ld a,l
                or a
                jp z,e_ov
; neghl: HL = -HL, modulo 65536.
neghl:
                xor a
                sub l
                ld l,a
                ld a,0
                sbc a,h
                ld h,a
                ret

; abshl: HL = |HL| as an unsigned number (-32768 gives 32768).
abshl:
                ld a,h
                rla
                ret nc
                jr neghl

; ---- operands ------------------------------------------------------------------
; primary: a number, a string in quotes, a variable, a function, or an
; expression in brackets.
primary:
                xor a
                ld (VALTYP),a
                rst R_GETC
                cp TK_FIRSTFN
                jr nc,function
                call isdigit
                jr c,pr_number
                cp '&'
                jr z,hexnum
                cp '"'
                jp z,strlit
                cp '('
                jr z,paren
                call getvar
                ld a,(VALTYP)
                or a
                ret nz                  ; a string: HL is its descriptor
                jr loadhl

; paren: ( expression )
paren:
                inc de
                call eval
                ld a,')'
                rst R_EXPECT
                ret

pr_number:
                call number
                ld a,h
                rla
                ret nc
                jp e_ov                 ; 32768 is only allowed after a minus

; number: the digits at DE as HL (0-65535); ?OV ERROR beyond.
number:
                call getword
                ret nc
                jp e_ov

; hexnum: &H and up to four hex digits, as a 16-bit pattern.
hexnum:
                inc de
                ld a,(de)
                call upper
                cp 'H'
                jp nz,e_sn
                inc de
                call hexdigit
                jp c,e_sn               ; at least one digit
                ld hl,0
hx_loop:
                add hl,hl
                jp c,e_ov
                add hl,hl
                jp c,e_ov
                add hl,hl
                jp c,e_ov
                add hl,hl
                jp c,e_ov
                or l
                ld l,a
                inc de
                call hexdigit
                jr nc,hx_loop
                ret

; hexdigit: the character at DE as 0-15; C when it is not a hex digit.
hexdigit:
                ld a,(de)
                call upper
                sub '0'
                ret c
                cp 10
                ccf
                ret nc
                sub 'A'-'0'
                ret c
                cp 6
                ccf
                ret c
                add a,10
                ret

; function: a function token at DE.
function:
                cp TK_LASTFN+1
                jp nc,e_sn
                inc de
                sub TK_FIRSTFN
                ld bc,fntab
; jumpvia: jumps to the routine whose address is word A of the table at BC.
jumpvia:
                add a,a
                ld l,a
                ld h,0
                add hl,bc
                call loadhl
                jp (hl)

; loadhl: HL = the word at HL.
loadhl:
                ld a,(hl)
                inc hl
                ld h,(hl)
                ld l,a
                ret

; numchk: ?TM ERROR unless the last value was a number. Keeps all but A.
numchk:
                ld a,(VALTYP)
                or a
                ret z
                jp e_tm

; strchk: ?TM ERROR unless it was a string.
strchk:
                ld a,(VALTYP)
                or a
                ret nz
                jp e_tm

; evalnum (RST R_EVALNUM): a numeric expression into HL.
evalnum:
                call eval
                jr numchk

; getword: the decimal digits at DE as HL (unsigned); C when it is more
; than 65535. DE past the digits.
getword:
                ld hl,0
gw_loop:
                ld a,(de)
                call isdigit
                ret nc
                inc de
                push bc
                ld b,h
                ld c,l
                add hl,hl
                jr c,gw_over
                add hl,hl
                jr c,gw_over
                add hl,bc
                jr c,gw_over
                add hl,hl
                jr c,gw_over
                sub '0'
                ld c,a
                ld b,0
                add hl,bc
gw_over:
                pop bc
                jr nc,gw_loop
                ret

; ---- numbers as text ------------------------------------------------------------------
; numstr: HL as text with its sign (a space or a minus), 0-terminated;
; HL = the text. Keeps DE.
numstr:
                ld a,h
                rla
                ld a,' '
                jr nc,ns_pos
                call neghl
                ld a,'-'
ns_pos:
                push af
                call wordstr
                pop af
                dec hl
                ld (hl),a
                ret

; wordstr: HL (unsigned) as decimal digits at NUMBUF+1, 0-terminated;
; HL = the first digit. Keeps DE.
wordstr:
                push de
                push bc
                ld de,NUMBUF+1
                ld bc,pow10
ws_pow:
                push de
                ld a,(bc)
                ld e,a
                inc bc
                ld a,(bc)
                ld d,a                  ; DE = -10^n
                inc bc
                ld a,'0'-1
ws_sub:
                inc a
                add hl,de
                jr c,ws_sub
                sbc hl,de               ; C is clear here
                pop de
                ld (de),a
                inc de
                ld a,e
                cp LOW (NUMBUF+6)
                jr nz,ws_pow
                xor a
                ld (de),a
                ld hl,NUMBUF+1
ws_zero:
                ld a,(hl)               ; leading zeros, all but the last
                cp '0'
                jr nz,ws_done
                inc hl
                ld a,(hl)
                or a
                jr nz,ws_zero
                dec hl
ws_done:
                pop bc
                pop de
                ret

; prword: print HL unsigned. Keeps DE.
prword:
                call wordstr
; prstr: print the 0-terminated text at HL. Keeps DE.
prstr:
                ld a,(hl)
                or a
                ret z
                rst R_PUTC
                inc hl
                jr prstr

; ---- numeric functions --------------------------------------------------------------
fn_abs:
                call numparen
                ld a,h
                rla
                call c,negate
                jp numres

fn_sgn:
                call numparen
                ld a,h
                or l
                jp z,numres
                ld a,h
                rla
                ld hl,1
                jp nc,numres
                ld hl,-1
                jp numres

; INT(x) is x: there are only whole numbers.
fn_int:
                call numparen
                jp numres

fn_peek:
                call numparen
                ld l,(hl)
                ld h,0
                jp numres

; FRE(x): the bytes free after packing the strings, at most 32767.
fn_fre:
                call fnarg
                ld a,(VALTYP)
                or a
                call nz,freetemp
                call gc
                push de
                ld hl,(FRETOP)
                ld de,(STREND)
                or a
                sbc hl,de
                pop de
                ld a,h
                rla
                jp nc,numres
                ld hl,7FFFh
                jp numres

; RND(n): a whole number from 1 to n (n at least 1). The seed goes through
; a 16-bit xorshift (7, 9, 8), which visits every value but 0.
fn_rnd:
                call numparen
                ld a,h
                rla
                jp c,e_fc
                ld a,h
                or l
                jp z,e_fc
                push de
                push hl
                ld hl,(RNDSEED)
                ld a,h
                or l
                jr nz,rn_step
                inc hl
rn_step:
                ld a,h                  ; x ^= x << 7
                rra
                ld a,l
                rra
                ld b,a
                ld a,0
                rra
                xor l
                ld l,a
                ld a,b
                xor h
                ld h,a
                ld a,h                  ; x ^= x >> 9
                srl a
                xor l
                ld l,a
                xor h                   ; x ^= x << 8
                ld h,a
                ld (RNDSEED),hl
                pop de
                call udiv
                ex de,hl
                inc hl
                pop de
                jp numres
