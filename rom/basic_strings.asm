; ===========================================================================
; Zorva BASIC: strings.
;
; A string's characters live either in the program text (a literal in
; quotes), or in the string space at the top of RAM, which grows down from
; HEAPTOP towards the arrays. Each block there is the characters followed by
; a 3-byte header: the length and a mark word (0 except while packing).
; Variables, array elements and temporaries hold descriptors: length and
; the address of the characters. Each block has exactly one descriptor
; pointing at it, so packing can move it and put the new address there.
;
; Temporaries are the strings an expression is working on, in TEMPST; they
; are dropped when used, and a statement starts with none.
;
; Packing (gc) marks each block in use with the address of its descriptor,
; then walks the blocks from the top once, moving the marked ones up and
; leaving the rest behind: time in proportion to the strings, whatever
; their number.
; ===========================================================================

; strlit: the string in quotes at DE, as a temporary pointing into the
; text. DE past the closing quote (or at the end of the line).
strlit:
                inc de
                ld h,d
                ld l,e
                ld b,0
sl_loop:
                ld a,(de)
                or a
                jr z,sl_end
                inc de
                cp '"'
                jr z,sl_end
                inc b
                jr sl_loop
sl_end:
                ld a,b
; pushtemp: a temporary descriptor of A characters at HL; HL = its address,
; VALTYP = 1. ?OM ERROR when an expression holds too many. Keeps DE.
pushtemp:
                push de
                ex de,hl
                ld hl,(TEMPPT)
                push af
                ld a,l                  ; (the 16 entries span under 256 bytes)
                cp LOW TEMPEND
                jp z,e_om               ; all 16 in use
                pop af
                push hl
                ld (hl),a
                inc hl
                ld (hl),e
                inc hl
                ld (hl),d
                inc hl
                ld (TEMPPT),hl
                pop hl
                pop de
                ld a,1
                ld (VALTYP),a
                ret

; newtemp: HL = the descriptor of the newest temporary string. Keeps the flags.
newtemp:
                ld hl,(TEMPPT)
                dec hl
                dec hl
                dec hl
                ret

; cpfretop: compare HL with FRETOP as cphlde does. Keeps everything else.
cpfretop:
                push de
                ld de,(FRETOP)
                call cphlde
                pop de
                ret

; freetemp: done with the string whose descriptor is at HL. The newest
; temporary is dropped, and its characters too when they are the newest in
; the string space. Keeps HL (the descriptor stays readable until the next
; temporary), DE, AF.
freetemp:
                push af
                push de
                ex de,hl
                call newtemp
                call cphlde
                jr nz,ft_done
                ld (TEMPPT),hl
                inc hl
                ld a,(hl)
                inc hl
                ld h,(hl)
                ld l,a                  ; its characters
                call cpfretop
                jr nz,ft_done
                ld a,(de)
                or a
                jr z,ft_done
                ld c,a                  ; give back length + 3
                ld b,0
                add hl,bc
                inc hl
                inc hl
                inc hl
                ld (FRETOP),hl
ft_done:
                ex de,hl
                pop de
                pop af
                ret

; alloc: room for A characters in the string space; HL = where they go.
; A = 0 takes nothing. When there is no room the strings are packed first
; (their descriptors follow them); ?OM ERROR if still none. Keeps A, DE.
alloc:
                or a
                ret z
                push de
                push af
                call al_try
                jr nc,al_ok
                call gc
                pop af
                push af
                call al_try
                jp c,e_om
al_ok:
                ld (FRETOP),hl
                pop af
                push hl
                ld e,a
                ld d,0
                add hl,de
                ld (hl),a               ; the header: length, no mark
                inc hl
                ld (hl),d
                inc hl
                ld (hl),d
                pop hl
                pop de
                ret
al_try:                                 ; HL = FRETOP - A - 3; C when below STREND
                ld hl,(FRETOP)
                ld e,a
                ld d,0
                inc de
                inc de
                inc de
                or a
                sbc hl,de
                ld de,(STREND)
                jp cphlde

; gc: pack the strings in use at the top of the string space.
gc:
                push bc
                push de
                ld hl,(VARTAB)          ; simple variables
gc_var:
                call kpoll
                ld de,(ARYTAB)
                call cphlde
                jr z,gc_arr
                inc hl
                ld a,(hl)
                inc hl
                rla                     ; a string?
                push hl
                call c,mark
                pop hl
                ld de,VARSIZE-2
                add hl,de
                jr gc_var
gc_arr:                                 ; arrays of strings
                ld de,(STREND)
                call cphlde
                jr z,gc_tmp
                push hl
                inc hl
                ld a,(hl)
                inc hl
                ld c,(hl)
                inc hl
                ld b,(hl)               ; BC = the entry's length
                inc hl
                ex (sp),hl
                add hl,bc
                ex (sp),hl              ; (SP) = the next entry
                rla
                jr nc,ga_next
                ld c,(hl)               ; skip the sizes
                ld b,0
                inc hl
                add hl,bc
                add hl,bc
ga_elem:
                pop de
                push de
                call cphlde
                jr z,ga_next
                call kpoll
                call mark
                inc hl
                inc hl
                inc hl
                jr ga_elem
ga_next:
                pop hl
                jr gc_arr
gc_tmp:                                 ; temporaries
                ld hl,TEMPST
gt_loop:
                ld de,(TEMPPT)
                call cphlde
                jr z,gc_pack
                call mark
                inc hl
                inc hl
                inc hl
                jr gt_loop
gc_pack:                                ; move the marked blocks up
                ld hl,HEAPTOP
                ld (GCDEST),hl
gp_loop:
                call kpoll
                ld de,(FRETOP)
                call cphlde
                jr z,gp_done
                dec hl
                ld b,(hl)
                xor a
                ld (hl),a
                dec hl
                ld c,(hl)               ; BC = the mark, cleared in place
                ld (hl),a
                dec hl
                ld e,(hl)
                ld d,0
                or a
                sbc hl,de               ; HL = the block's first character
                ld a,b
                or c
                jr z,gp_loop            ; not in use: left behind
                push hl
                push bc
                inc de
                inc de
                inc de
                ld b,d
                ld c,e                  ; BC = the block's size
                add hl,bc
                dec hl                  ; its last byte
                ld de,(GCDEST)
                dec de
                lddr
                inc de
                ld (GCDEST),de
                pop hl                  ; the descriptor
                inc hl
                ld (hl),e
                inc hl
                ld (hl),d
                pop hl
                jr gp_loop
gp_done:
                ld hl,(GCDEST)
                ld (FRETOP),hl
                pop de
                pop bc
                ret

; mark: when the descriptor at HL has characters in the string space,
; write HL into their block's mark. Keeps HL.
mark:
                ld a,(hl)
                or a
                ret z
                push hl
                ld c,a
                inc hl
                ld e,(hl)
                inc hl
                ld d,(hl)
                ld hl,(FRETOP)
                ex de,hl
                call cphlde
                jr c,mk_out             ; in the program or a buffer
                ld b,0
                add hl,bc
                inc hl
                pop de
                ld (hl),e
                inc hl
                ld (hl),d
                ex de,hl
                ret
mk_out:
                pop hl
                ret

; ---- working with strings --------------------------------------------------------
; concat: HL = left descriptor, DE = right: a temporary with both; ?LS ERROR
; past 255 characters.
concat:
                ld a,(de)
                add a,(hl)
                jp c,e_ls
                push hl
                push de
                call alloc
                push hl
                push af
                ex de,hl                ; DE = the new characters
                ld hl,6
                add hl,sp
                call loadhl             ; the left descriptor
                call copystr
                ld hl,4
                add hl,sp
                call loadhl             ; the right descriptor
                call copystr
                pop af
                pop bc                  ; the new characters
                pop hl                  ; right
                push bc
                push af
                call freetemp           ; right, then left
                ld hl,4
                add hl,sp
                call loadhl
                call freetemp
                pop af
                pop hl
                pop bc
                jp pushtemp

; copystr: copy the characters of the descriptor at HL to DE; DE after them.
copystr:
                ld c,(hl)
                ld b,0
                inc hl
                ld a,(hl)
                inc hl
                ld h,(hl)
                ld l,a
                ld a,c
                or a
                ret z
                ldir
                ret

; strset: store the string whose descriptor is at HL into the descriptor at
; DE (a variable or an element). A new temporary's characters are taken
; over as they are; anything else is copied into the string space.
strset:
                push de
                ex de,hl
                call newtemp
                call cphlde
                jr nz,ss_copy
                inc hl
                call loadhl             ; its characters
                call cpfretop
                jr c,ss_copy            ; a literal: copy it
                call newtemp            ; take it over
                ld (TEMPPT),hl
                pop de
                ld bc,3
                ldir
                ret
ss_copy:
                ld a,(de)
                push af
                call alloc
                push hl
                ex de,hl                ; HL = source, DE = the new place
                push hl
                call copystr
                pop hl
                call freetemp
                pop hl
                pop af
                pop de
                ld (de),a
                inc de
                ex de,hl
                ld (hl),e
                inc hl
                ld (hl),d
                ret

; cmpstr: left descriptor HL against right DE: A = 1 below, 2 equal,
; 4 above, by character codes, a shorter string first. Drops both.
cmpstr:
                push hl
                push de
                ld b,(hl)
                inc hl
                call loadhl             ; left characters
                ex de,hl
                ld c,(hl)
                inc hl
                call loadhl
                ex de,hl                ; DE = right characters
sc_loop:
                ld a,b
                or a
                jr z,sc_lend
                ld a,c
                or a
                scf                     ; (the right one ended first: above)
                jr z,sc_diff
                ld a,(de)
                cp (hl)
                jr nz,sc_diff
                inc hl
                inc de
                dec b
                dec c
                jr sc_loop
sc_lend:
                ld a,c
                or a                    ; (NC: below when the right goes on)
                ld a,2
                jr z,sc_res
sc_diff:
                ld a,4
                jr c,sc_res             ; right below left
                ld a,1
sc_res:
                pop hl
                call freetemp
                pop hl
                jp freetemp

; prstrd: print the string whose descriptor is at HL, and drop it.
prstrd:
                push hl
                ld b,(hl)
                inc hl
                call loadhl
                inc b
pd_loop:
                dec b
                jr z,pd_done
                ld a,(hl)
                rst R_PUTC
                inc hl
                jr pd_loop
pd_done:
                pop hl
                jp freetemp

; mkstr: a new temporary of the A characters at HL (outside the string
; space). Keeps DE.
mkstr:
                push de
                push hl
                call alloc
                pop de
                ex de,hl                ; HL = source, DE = the new place
                push de
                ld c,a
                ld b,0
                or a
                jr z,mk_none
                ldir
mk_none:
                pop hl
                pop de
                jp pushtemp

; textnum: a number at DE (spaces and a sign before it allowed) into FAC;
; C when there is none. DE past it.
textnum:
                rst R_GETC
                push de
                cp '-'
                jr z,tn_sign
                cp '+'
                jr nz,tn_digit
tn_sign:
                inc de
                ld a,(de)
tn_digit:
                pop de
                call isnum
                ccf
                ret c
                call fin
                or a
                ret

; item: the next DATA or INPUT item at DE, as the type in VALTYP: FAC = a
; number (0 when the item is empty), or HL = a temporary. A string may be in
; quotes, or runs to the next comma or colon without its trailing spaces.
; C when the item is not one.
; DE is left at the comma, colon or end after it.
item:
                ld a,(VALTYP)
                or a
                jr nz,it_str
                call fzero
                rst R_GETC
                ret z                   ; an empty item is 0
                cp ','
                ret z
                call textnum
                ret c
it_end:
                rst R_GETC
                ret z
                cp ','
                ret z
                scf
                ret
it_str:
                rst R_GETC
                cp '"'
                jr nz,it_bare
                call strlit
                jr it_end
it_bare:
                ld h,d
                ld l,e
                ld bc,0                 ; B = length, C = up to the last non-space
ib_loop:
                ld a,(de)
                or a
                jr z,ib_end
                cp ':'
                jr z,ib_end
                cp ','
                jr z,ib_end
                inc de
                inc b
                cp ' '
                jr z,ib_loop
                ld c,b
                jr ib_loop
ib_end:
                ld a,c
                call pushtemp
                or a
                ret

; ---- string functions --------------------------------------------------------------
; fnarg: ( expression ).
fnarg:
                ld a,'('
                rst R_EXPECT
                call eval
                ld a,')'
                rst R_EXPECT
                ret
numparen:
                call fnarg
                jp numchk
strparen:
                call fnarg
                jp strchk

fn_len:
                call strparen
                call freetemp
                ld a,(hl)
numres:                                 ; the result is the byte A
                push af
                xor a
                ld (VALTYP),a
                pop af
                jp fltbyte

fn_asc:
                call strparen
                ld a,(hl)
                or a
                jp z,e_fc
                push hl
                inc hl
                call loadhl
                ld a,(hl)
                pop hl
                call freetemp
                jr numres

; VAL: the number at the string's start (0 when there is none). The byte
; after the characters is made 0 for the while, and put back.
fn_val:
                call strparen
                push hl
                call fzero
                pop hl
                push hl
                ld a,(hl)
                or a
                jr z,vl_done
                push de
                ld c,a
                ld b,0
                inc hl
                call loadhl
                ld d,h
                ld e,l
                add hl,bc
                ld a,(hl)
                push af
                push hl
                ld (hl),0
                call textnum
                pop bc
                pop af
                ld (bc),a
                pop de
vl_done:
                pop hl
                call freetemp
                xor a
                ld (VALTYP),a
                ret

fn_chr:
                call numparen
                call facint
                call byteval
str1:                                   ; a one-character string of A
                ld hl,NUMBUF
                ld (hl),a
                ld a,1
                jp mkstr

fn_str:
                call numparen
                call numstr
                push hl
                xor a
sr_len:
                inc a
                inc hl
                ld b,(hl)
                inc b
                dec b
                jr nz,sr_len
                pop hl
                jp mkstr

fn_inkey:
                call keytake
                jr nz,str1
                jp mkstr                ; A = 0: ""

; LEFT$(s,n), RIGHT$(s,n), MID$(s,start[,n]): n and start 0-255 (start 1
; or more), ?FC ERROR otherwise. Asking past the end gives what is there.
fn_left:
                call sfarg
                ld c,a
                ld a,(hl)
                ld b,0
lf_min:                                 ; A = characters there, C = wanted
                cp c
                jr nc,substr
                ld c,a
                jr substr
fn_right:
                call sfarg
                ld c,a
                ld a,(hl)
                sub c
                jr nc,rt_from
                ld c,(hl)
                xor a
rt_from:
                ld b,a
                jr substr
fn_mid:
                call sfargo
                or a
                jp z,e_fc
                dec a
                ld b,a
                ld c,255
                rst R_GETC
                cp ','
                jr nz,md_close
                inc de
                push hl
                push bc
                call evalbyte
                pop bc
                pop hl
                ld c,a
md_close:
                ld a,')'
                rst R_EXPECT
                ld a,(hl)
                sub b
                jr nc,lf_min
                xor a
                jr lf_min

; sfarg: "(" string "," number ")": HL = the descriptor, A = the number.
sfarg:
                call sfargo
                push af
                ld a,')'
                rst R_EXPECT
                pop af
                ret
; sfargo: the same without the closing bracket.
sfargo:
                ld a,'('
                rst R_EXPECT
                call eval
                call strchk
; commabyte: A = a byte after a comma at DE; keeps HL.
commabyte:
                push hl
                ld a,','
                rst R_EXPECT
                call evalbyte
                pop hl
                ret

; substr: a new temporary of C characters from offset B of the string
; whose descriptor is at HL (which is dropped).
substr:
                push de
                push hl
                push bc
                ld a,c
                call alloc
                pop bc
                ex de,hl                ; DE = the new place
                pop hl
                push hl
                push de
                inc hl
                call loadhl
                ld a,b
                add a,l
                ld l,a
                jr nc,sb_copy
                inc h
sb_copy:
                ld a,c
                ld b,0
                or a
                jr z,sb_none
                ldir
sb_none:
                pop bc                  ; the new place
                pop hl
                call freetemp
                ld h,b
                ld l,c
                pop de
                jp pushtemp
