; ===========================================================================
; Zorva BASIC: expressions.
;
; Expressions are parsed by precedence climbing: expr reads an operand and
; then takes every binary operator that binds at least as tightly as its
; caller allows, calling itself for the right-hand side. Precedence, low to
; high: OR 1, AND 2, NOT 3, relations 4, + - 5, * / 6, unary minus 7, ^ 8.
; A number's value is in the accumulator FAC (float.asm); a string's is its
; descriptor in HL. While the right-hand side is worked out the left one
; waits on the stack. AND, OR and NOT work on 16-bit whole numbers.
; ===========================================================================

; eval: the expression at DE: FAC = a number, or HL = a string's descriptor;
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
                rst R_GETC
                jr z,xp_ret             ; the end of the statement
                push hl
                ld hl,opchars
                ld b,OPCOUNT
xp_find:
                cp (hl)
                jr z,xp_op
                inc hl
                djnz xp_find
                pop hl
xp_ret:
                pop bc
                ret
xp_op:
                ld bc,OPCOUNT
                add hl,bc
                ld a,(hl)               ; its precedence
                add hl,bc
                ld c,(hl)               ; its operation
                pop hl
                ex (sp),hl              ; H = the weakest precedence taken
                cp h
                ex (sp),hl
                jr c,xp_ret             ; binds too loosely: the caller's
                inc de
                ld b,a
                ld a,c
                or a
                jr nz,xp_right
                call relop              ; < = >, alone or in twos
                ld b,4
xp_right:
                ld a,(VALTYP)
                or a
                jr nz,xp_lstr
                ld (XPSAVE),bc
                call fpush              ; the left number waits
                ld bc,(XPSAVE)
                jr xp_left
xp_lstr:
                push hl                 ; the left string's descriptor
xp_left:
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
                or a
                jr nz,xp_rstr
                ld (XPSAVE),bc
                call fpoparg            ; ARG = left, FAC = right
                ld bc,(XPSAVE)
                call kpoll              ; a long expression keeps looking
                call apply
                jr xp_loop
xp_rstr:
                ex (sp),hl              ; HL = left, the right one waits
                ex de,hl
                ex (sp),hl              ; HL = right, the text pointer waits
                ex de,hl                ; DE = right, HL = left
                call strop
                pop de
                jr xp_loop
xp_minus:
                call xp_unary
                call fneg
                jr xp_loop
xp_plus:
                call xp_unary
                jr xp_loop
xp_not:
                ld a,4                  ; NOT A=B is NOT (A=B)
                call expr
                call facnum
                ld a,h
                xor 0FFh
                ld h,a
                ld a,l
                xor 0FFh
                ld l,a
                call fltint
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

; apply: FAC = ARG op FAC for the operation in B.
apply:
                ld a,b
                cp OP_REL
                jr nc,ap_rel
                cp OP_AND
                jr nc,ap_logic
                ld bc,optab-2
                jp jumpvia
ap_logic:                               ; AND, OR: on 16-bit whole numbers
                push af
                call facint
                push hl
                call fmovfa
                call facint
                pop bc
                pop af
                cp OP_AND
                ld a,h
                jr z,ap_and
                or b                    ; OR
                ld h,a
                ld a,l
                or c
                jr ap_set
ap_and:
                and b
                ld h,a
                ld a,l
                and c
ap_set:
                ld l,a
                jp fltint
ap_rel:
                and 7
                push af
                call fcmp
; truth: FAC = -1 when A (1 below, 2 equal, 4 above) is one of the
; relation's bits on the stack, else 0.
truth:
                pop bc
                and b
                ld hl,0
                jr z,tr_false
                dec hl                  ; true is -1
tr_false:
                xor a
                ld (VALTYP),a
                jp fltint

; strop: HL = left op DE (strings) for the operation in B: + joins,
; relations compare; others are ?TM ERROR.
strop:
                ld a,b
                cp OP_REL
                jr nc,so_rel
                dec a
                jp z,concat
                jp e_tm
so_rel:
                and 7
                push af
                call cmpstr
                jr truth

; facnum: HL = the number in FAC as a 16-bit whole number, after ?TM ERROR
; unless it is one.
facnum:
                call numchk
                jp facint

; ---- operands ------------------------------------------------------------------
; primary: a number, a string in quotes, a variable, a function, or an
; expression in brackets.
primary:
                xor a
                ld (VALTYP),a
                rst R_GETC
                cp TK_FIRSTFN
                jr nc,function
                call isnum
                jp c,fin
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
                jp fldhl

; isnum: C when A (at DE) starts a number: a digit, or a point.
isnum:
                cp '.'
                scf
                ret z
                jp isdigit

; paren: ( expression )
paren:
                inc de
                call eval
                ld a,')'
                rst R_EXPECT
                ret

; hexnum: &H and up to four hex digits, as a 16-bit pattern: &HFFFF is -1.
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
                ld b,4
hx_shift:
                add hl,hl
                jp c,e_ov
                djnz hx_shift
                or l
                ld l,a
                inc de
                call hexdigit
                jr nc,hx_loop
                jp fltint

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
                push af
                call tabword
                pop af
                ; ABS SGN INT RND and SQR to EXP are the number package's own
                ; routines, run on the number in brackets
                cp TK_PEEK-TK_FIRSTFN
                jr c,fn_num
                cp TK_RND-TK_FIRSTFN
                jr z,fn_num
                cp TK_SQR-TK_FIRSTFN
                jr c,fn_go
                cp TK_FN-TK_FIRSTFN
                jr z,fn_go
fn_num:
                push hl
                jp numparen
; jumpvia: jumps to the routine whose address is word A of the table at BC.
jumpvia:
                call tabword
fn_go:
                jp (hl)

; tabword: HL = word A of the table at BC.
tabword:
                add a,a
                ld l,a
                ld h,0
                add hl,bc

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

; evalnum (RST R_EVALNUM): a numeric expression into FAC.
evalnum:
                call eval
                jr numchk

; evalint: a numeric expression as a 16-bit whole number in HL (truncated;
; ?FC ERROR outside -32768..32767).
evalint:
                rst R_EVALNUM
                jp facint

; evalbyte: a numeric expression as a byte in A; ?FC ERROR outside 0-255.
evalbyte:
                call evalint
; byteval: HL as a byte in A; ?FC ERROR outside 0-255.
byteval:
                ld a,h
                or a
                jp nz,e_fc
                ld a,l
                ret

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
; numstr: FAC as PRINT writes it, without the trailing space: HL = the
; 0-terminated text. Keeps DE.
numstr          equ fout

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

; ---- numeric functions ------------------------------------------------------------
fn_peek:
                call numparen
                call facaddr
                ld a,(hl)
                jp fltbyte

; FRE(x): the bytes free after packing the strings.
fn_fre:
                call fnarg
                ld a,(VALTYP)
                or a
                call nz,freetemp
                call gc
                xor a
                ld (VALTYP),a
                push de
                ld hl,(FRETOP)
                ld de,(STREND)
                or a
                sbc hl,de
                pop de
                jp fltuns
