; ===========================================================================
; Zorva BASIC: variables and arrays.
;
; A name is a letter and an optional letter or digit (more may follow; they
; do not count), then $ for a string. In memory a name is two bytes, the
; second 0 when there is none, with bit 7 of the second set for a string.
;
; Simple variables follow the program: 6 bytes each, the name and a value
; (a number in 4 bytes, or a string descriptor in 3 and a spare byte). A
; function of DEF FN is one too, bit 7 of its name's first byte set. Arrays
; follow them: the name (2), the whole entry's length (2), the number of
; dimensions (1), the size of each dimension (2 each), then the elements
; (4 or 3 bytes). A new simple variable moves the arrays up by 6 bytes;
; reading a simple
; variable that was never assigned gives 0 or "" without making it, so
; nothing moves while an expression is being worked out.
; ===========================================================================

; getvar: the variable (or array element) at DE. HL = the address of its
; value or descriptor; VALTYP = its type. A simple variable never assigned
; reads as zeroes in the ROM. An array used before DIM gets 0 to 10.
getvar:
                xor a
                jr gv_go
; getvarw: the same, for writing: a new simple variable is made.
getvarw:
                ld a,1
gv_go:
                ld (VCREATE),a
                call getname
                rst R_GETC
                cp '('
                jp z,array
                call findvar
                ret nc
                ld a,(VCREATE)
                or a
                jr nz,newvar
                ld hl,zeroes
                ret

; simplevar: a simple variable at DE, made when new; HL = its value.
simplevar:
                call getname
                call findvar
                ret nc
                jr newvar

; getname: the name at DE into BC (see above), VALTYP from the $; DE past
; it. ?SN ERROR when there is no letter.
getname:
                rst R_GETC
                call isalpha
                jp nc,e_sn
                ld b,a
                ld c,0
gn_more:
                inc de
                ld a,(de)
                call isdigit
                jr c,gn_char
                call isalpha
                jr nc,gn_end
gn_char:
                inc c
                dec c
                jr nz,gn_more           ; only the first two count
                ld c,a
                jr gn_more
gn_end:
                cp '$'
                ld a,0
                jr nz,gn_type
                inc de
                set 7,c
                inc a
gn_type:
                ld (VALTYP),a
                ret

; findvar: the simple variable named BC. HL = its value, NC; C when there
; is none. Keeps BC, DE.
findvar:
                push de
                ld de,(ARYTAB)
                ld hl,(VARTAB)
fv_loop:
                ld a,l
                cp e
                jr nz,fv_cmp
                ld a,h
                cp d
                jr z,fv_none
fv_cmp:
                ld a,(hl)
                inc hl
                cp b
                jr nz,fv_skip
                ld a,(hl)
                cp c
                jr z,fv_hit
fv_skip:
                inc hl
                inc hl
                inc hl
                inc hl
                inc hl
                ld a,l                  ; the keyboard, every 256 bytes
                cp 6
                call c,kpoll
                jr fv_loop
fv_hit:
                inc hl
                pop de
                or a
                ret
fv_none:
                pop de
                scf
                ret

; newvar: make the simple variable BC (value 0 or ""); HL = its value.
; Keeps DE.
newvar:
                push de
                push bc
                ld bc,VARSIZE
                call room
                ld hl,(STREND)          ; move the arrays up
                push hl
                ld de,(ARYTAB)
                or a
                sbc hl,de
                ld b,h
                ld c,l
                pop hl
                ld de,VARSIZE
                add hl,de
                ld (STREND),hl
                dec hl
                ex de,hl                ; DE = the arrays' new last byte
                ld hl,-VARSIZE
                add hl,de               ; HL = their old last byte
                ld a,b
                or c
                jr z,nv_put
                lddr
nv_put:
                ld hl,(ARYTAB)
                push hl
                ld de,VARSIZE
                add hl,de
                ld (ARYTAB),hl
                pop hl
                pop bc
                ld (hl),b
                inc hl
                ld (hl),c
                inc hl
                xor a
                ld (hl),a
                inc hl
                ld (hl),a
                inc hl
                ld (hl),a
                inc hl
                ld (hl),a
                dec hl
                dec hl
                dec hl
                pop de
                ret

; room: make sure BC bytes are free between the arrays and the strings,
; packing the strings when needed; ?OM ERROR when they are not. Keeps BC, DE.
room:
                call rm_test
                ret nc
                call gc
                call rm_test
                ret nc
                jp e_om
rm_test:
                ld hl,(STREND)
                add hl,bc
                ret c
                push de
                ex de,hl
                ld hl,(FRETOP)
                call cphlde
                pop de
                ret

; ---- arrays ------------------------------------------------------------------------
; array: the element of the array BC at DE = "(": HL = its address.
array:
                inc de
                ld a,(VALTYP)
                push af
                push bc
                call evalint
                push hl                 ; the first subscript
                ld hl,0
                rst R_GETC
                cp ','
                ld a,1
                jr nz,ar_one
                inc de
                call evalint
                ld a,2
ar_one:
                ld (NSUBS),a
                ld (SUB2),hl
                pop hl
                ld (SUB1),hl
                ld a,')'
                rst R_EXPECT
                pop bc
                pop af
                ld (VALTYP),a
                call findarr
                jr nc,ar_found
                ld hl,11                ; used before DIM: 0 to 10
                ld (DIM1),hl
                ld (DIM2),hl
                call makearr
ar_found:
                push de
                ld de,4
                add hl,de
                ld a,(NSUBS)
                cp (hl)                 ; as many subscripts as dimensions
                jp nz,e_bs
                inc hl
                ld e,(hl)               ; DE = the first dimension's size
                inc hl
                ld d,(hl)
                inc hl
                push hl
                ld hl,(SUB1)
                call cphlde
                jp nc,e_bs              ; (a negative one is huge here)
                ld (AOFS),hl
                pop hl
                ld a,(NSUBS)
                dec a
                jr z,ar_data
                ld c,(hl)               ; the second dimension's size
                inc hl
                ld b,(hl)
                inc hl
                push hl
                push de
                ld hl,(SUB2)
                ld d,b
                ld e,c
                call cphlde
                jp nc,e_bs
                pop de
                call umul               ; subscript 2 * size 1: it fits
                ld de,(AOFS)
                add hl,de
                ld (AOFS),hl
                pop hl
ar_data:
                ex de,hl                ; DE = the first element
                ld hl,(AOFS)
                ld b,h
                ld c,l
                add hl,hl
                ld a,(VALTYP)
                or a
                jr z,ar_num
                add hl,bc               ; strings: 3 bytes
                jr ar_add
ar_num:
                add hl,hl               ; numbers: 4 bytes
ar_add:
                add hl,de
                pop de
                ret

; findarr: the array named BC: HL = its entry, NC; C when there is none.
; Keeps BC, DE.
findarr:
                push de
                ld hl,(ARYTAB)
fa_loop:
                ld de,(STREND)
                call cphlde
                jr z,fa_none
                ld a,(hl)
                cp b
                jr nz,fa_next
                inc hl
                ld a,(hl)
                dec hl
                cp c
                jr z,fa_hit
fa_next:
                push hl
                inc hl
                inc hl
                ld e,(hl)
                inc hl
                ld d,(hl)
                pop hl
                add hl,de
                jr fa_loop
fa_hit:
                pop de
                or a
                ret
fa_none:
                pop de
                scf
                ret

; makearr: a new array BC, of type VALTYP, with NSUBS dimensions of sizes
; DIM1 and DIM2, all elements 0 or "". HL = its entry. Keeps DE.
makearr:
                ld (ANAME),bc
                push de
                ld hl,(DIM1)
                ld de,(DIM2)
                ld a,(NSUBS)
                dec a
                jr nz,ma_two
                ld de,1
ma_two:
                call umul               ; the number of elements
                jr c,ma_full
                ld d,h
                ld e,l
                add hl,hl
                jr c,ma_full
                ld a,(VALTYP)
                or a
                jr z,ma_num
                add hl,de               ; strings: 3 bytes each
                jr ma_head
ma_num:
                add hl,hl               ; numbers: 4
ma_head:
                jr c,ma_full
                ld de,5+2
                add hl,de
                jr nc,ma_fits
ma_full:
                jp e_om
ma_fits:
                ld a,(NSUBS)
                dec a
                jr z,ma_room
                inc hl
                inc hl
ma_room:
                ld b,h
                ld c,l                  ; BC = the entry's length
                call room
                ld hl,(STREND)
                push hl
                ld (hl),0               ; all zeroes
                ld d,h
                ld e,l
                inc de
                push bc
                dec bc
                ldir
                ld (STREND),de
                pop bc
                pop hl
                push hl
                ld de,(ANAME)
                ld (hl),d
                inc hl
                ld (hl),e
                inc hl
                ld (hl),c
                inc hl
                ld (hl),b
                inc hl
                ld a,(NSUBS)
                ld (hl),a
                inc hl
                ld de,(DIM1)
                ld (hl),e
                inc hl
                ld (hl),d
                dec a
                jr z,ma_done
                inc hl
                ld de,(DIM2)
                ld (hl),e
                inc hl
                ld (hl),d
ma_done:
                pop hl
                pop de
                ret

; umul: HL = HL * DE, unsigned; C when the product passes 65535.
umul:
                ld b,h
                ld c,l
                ld hl,0
                ld a,16
um_loop:
                add hl,hl
                ret c
                ex de,hl
                add hl,hl
                ex de,hl
                jr nc,um_next
                add hl,bc
                ret c
um_next:
                dec a
                jr nz,um_loop
                ret

; DIM name(n[,m])[, ...]: sizes n+1 and m+1; ?DD ERROR for one that exists.
s_dim:
                call getname
                ld a,'('
                rst R_EXPECT
                ld a,(VALTYP)
                push af
                push bc
                call evalint
                call dimsize
                push hl
                ld hl,1
                rst R_GETC
                cp ','
                ld a,1
                jr nz,dm_one
                inc de
                call evalint
                call dimsize
                ld a,2
dm_one:
                ld (NSUBS),a
                ld (DIM2),hl
                pop hl
                ld (DIM1),hl
                ld a,')'
                rst R_EXPECT
                pop bc
                pop af
                ld (VALTYP),a
                call findarr
                jp nc,e_dd
                call makearr
                rst R_GETC
                cp ','
                ret nz
                inc de
                jr s_dim

; dimsize: HL = HL + 1 for a size 0-32767; ?BS ERROR for a negative one.
dimsize:
                ld a,h
                rla
                jp c,e_bs
                inc hl
                ret
