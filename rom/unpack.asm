; ===========================================================================
; The unpacker: at power-on it rebuilds the code that runs from RAM out of
; the packed stream at the end of the ROM (rom/pack.h gives the format; the
; build's make_rom writes it): the block below the screen, then the one above
; BASIC's state. The stream is a run of decisions, coded with adaptive
; probabilities under a binary range coder: literals as trees of bits chosen
; by the byte's place in an instruction (or, in the data that ends each
; block, a place of their own for text), matches (copied from earlier output)
; as gamma codes. The keyboard code is among what it rebuilds, so keys
; pressed in the moment this takes (about 8 million instructions) are not
; seen.
; ===========================================================================

; The model: a probability of a 1 in 256ths for each decision, in ten pages
; from the top two pages of the low block's room to the end of the colour memory,
; so that clearing the screen afterwards leaves nothing of it where programs
; go.
UPMODEL         equ SCREEN-200h
UP_ISMATCH      equ 00h             ; + 1 after a match + 2 * the byte's place
UP_NEWOFF       equ 10h             ; a fresh offset, not the last one again
UP_OFFHIGH      equ 20h             ; gamma: offset high byte + 1
UP_LENGTH       equ 40h             ; gamma: the length
UP_OFFLOW       equ 1               ; page: tree of the offset's low byte
UP_LITERAL      equ 2               ; pages: literal trees, one per place
UP_TEXT         equ 7               ; the place of a block's data bytes
UP_PAGES        equ 10
; The unpacker's variables, in the part of the first page no decision uses.
UPEND           equ UPMODEL+0F0h    ; 2: where the block being rebuilt ends
UPLAST          equ UPMODEL+0F2h    ; 2: the last offset
UPPLACE         equ UPMODEL+0F4h    ; 1: places of the bytes to come, a nibble each
UPSTATE         equ UPMODEL+0F5h    ; 1: 0 after a literal, 1 after a match
UPTEXT          equ UPMODEL+0F6h    ; 2: where the block's data starts

; unpack: rebuilds both blocks. The coder's state lives in HL', its bit byte
; (with a stop bit) in C', the stream's next byte at IX.
unpack:
                ld hl,UPMODEL
                ld de,UPMODEL+1
                ld bc,UP_PAGES*256-1
                ld (hl),128             ; (UPPLACE too: no operands pending)
                ldir
                xor a
                ld (UPSTATE),a
                ld ix,packed_data
                exx
                ld hl,0                 ; the state fills up from the stream
                ld c,80h
                exx
                ld de,ram_low_start
                ld bc,low_code_end
                ld hl,ram_low_end
                call up_block
                ld de,ram_high_start
                ld bc,high_code_end
                ld hl,ram_high_end
; up_block: rebuilds DE up to HL, its data from BC on.
up_block:
                ld (UPEND),hl
                ld (UPTEXT),bc
up_token:
                ld hl,(UPTEXT)          ; the place: text from UPTEXT on
                ld a,e
                sub l
                ld a,d
                sbc a,h
                ld a,UP_TEXT
                jr nc,ut_place
                ld a,(UPPLACE)
                and 0Fh
ut_place:
                ld c,a
                add a,a
                ld hl,UPSTATE
                add a,(hl)
                ld l,a                  ; H: the first page, UP_ISMATCH
                call up_bit
                jr c,up_match
                ld a,c
                add a,UPMODEL/256+UP_LITERAL
                ld h,a
                call up_tree
                call up_put
                xor a
                jr up_next
up_match:
                ld a,l                  ; bit 0: a match came last
                rra
                jr c,up_fresh
                ld l,UP_NEWOFF
                call up_bit
                jr c,up_fresh
                ld l,UP_LENGTH          ; the last offset again
                call up_gamma
                jr up_copy
up_fresh:
                ld l,UP_OFFHIGH
                call up_gamma
                ld b,c
                dec b
                inc h                   ; UP_OFFLOW
                call up_tree
                ld c,a
                inc bc
                ld (UPLAST),bc
                dec h
                ld l,UP_LENGTH
                call up_gamma
                inc bc
up_copy:                                ; BC bytes from UPLAST back
                push bc
                ld bc,(UPLAST)
                ld h,d
                ld l,e
                or a
                sbc hl,bc
                ld a,(hl)
                call up_put
                pop bc
                dec bc
                ld a,b
                or c
                jr nz,up_copy
                inc a
up_next:
                ld (UPSTATE),a
                ld hl,(UPEND)
                or a
                sbc hl,de
                jr nz,up_token
                ret

; up_put: stores A at DE and moves DE on; notes the places of the operands
; that follow an opcode (prefixes count as opcodes of their own). Keeps B.
up_put:
                ld (de),a
                inc de
                ld c,a
                ld hl,UPPLACE
                ld a,(hl)
                and 0Fh
                jr z,pp_opcode
                ld a,(hl)
                rrca
                rrca
                rrca
                rrca
                and 0Fh
                ld (hl),a
                ret
pp_opcode:                              ; 1: an 8-bit operand, 2 3: a data
                ld (hl),6               ; address, 2 4: a jump target, 5: a
                ld a,c                  ; relative jump, 6: after CB or ED
                cp 0CBh
                ret z
                cp 0EDh
                ret z
                ld (hl),42h
                cp 0C3h
                ret z
                cp 0CDh
                ret z
                and 0C7h
                cp 0C2h
                ret z
                cp 0C4h
                ret z
                ld (hl),1
                cp 06h
                ret z
                cp 0C6h
                ret z
                or a
                jr nz,pp_word
                ld (hl),5
                ld a,c
                cp 10h                  ; DJNZ, JR
                ret nc
pp_word:
                ld (hl),32h
                ld a,c
                and 0CFh
                cp 01h                  ; LD rr,nn
                ret z
                ld a,c
                and 0E7h
                cp 22h                  ; LD (nn),HL and its kin
                ret z
                ld (hl),0
                ret

; up_gamma: BC = the gamma code whose decisions start at HL, two a step
; (one more bit?, the bit). Keeps DE, H.
up_gamma:
                ld bc,1
ug_loop:
                call up_bit
                ret nc
                inc l
                call up_bit
                ld a,c
                rla
                ld c,a
                rl b
                inc l
                jr ug_loop

; up_tree: A = the byte whose bits, from the top, are decided by the tree
; in page H (node 1 at the top, a node's children at 2n and 2n+1). Keeps
; BC, DE, H.
up_tree:
                ld l,1
ut_loop:
                call up_bit
                ld a,l
                rla
                ld l,a
                jr nc,ut_loop           ; until the top node's 1 falls out
                ret

; up_bit: CF = the next decision, whose probability is at HL; the
; probability moves 1/16 of the way towards what was decided. Keeps BC,
; DE, HL. The state x holds [8000h, FFFFh] before a decision: its low byte
; picks the bit (below p: 1), its high byte scales the bit's share.
up_bit:
                ld a,(hl)
                exx
                ld b,a
ub_fill:
                ld a,h
                add a,a
                jr c,ub_full
                ld a,c                  ; x = 2x + the stream's next bit
                add a,a
                jr nz,ub_have
                ld a,(ix+0)
                inc ix
                rla
ub_have:
                ld c,a
                ld a,l
                rla
                ld l,a
                rl h
                jr ub_fill
ub_full:
                ld a,l
                sub b
                push af                 ; CF: the bit
                jr c,ub_one
                ld l,a                  ; 0: x = (256 - p) * (x >> 8) + low - p
                xor a
                sub b
                ld b,a
ub_one:                                 ; 1: x = p * (x >> 8) + low
                ld a,b
                ld e,h                  ; HL = A * H + L
                ld d,0
                ld h,d
                ld b,8
ub_mul:
                rra
                jr nc,ub_skip
                add hl,de
ub_skip:
                ex de,hl
                add hl,hl
                ex de,hl
                djnz ub_mul
                pop af
ub_update:
                exx
                push af
                ld a,(hl)               ; a 1 moves p as a 0 moves 256 - p
                jr nc,ub_down
                neg
                ld (hl),a
ub_down:
                add a,8                 ; p - (p + 8) / 16
                rra
                srl a
                srl a
                srl a
                neg
                add a,(hl)
                ld (hl),a
                pop af
                ret nc
                xor a
                sub (hl)
                ld (hl),a
                ret
