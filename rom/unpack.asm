; ===========================================================================
; The unpacker: at power-on it rebuilds the code that runs from RAM out of
; the packed blocks at the end of the ROM (rom/pack.h gives the format; the
; build's make_rom writes them). Each block is its start and end address
; and a stream of tokens: literals (copied from the stream) and matches
; (copied from earlier output), with lengths and offsets in gamma codes.
; It looks at the keyboard after every token, so keys typed while it works
; wait in the typeahead buffer like any others.
; ===========================================================================

UPBITS          equ VARS+8          ; 1: the bit byte being read, with a stop bit
UPEND           equ VARS+9          ; 2: where the block being rebuilt ends

; unpack: HL = the first block's header. Rebuilds every block; returns when
; it finds the 0 that ends the list.
unpack:
                ld e,(hl)
                inc hl
                ld d,(hl)
                inc hl
                ld a,d
                or e
                ret z
                ld c,(hl)
                inc hl
                ld b,(hl)
                inc hl
                ld (UPEND),bc
                ld a,80h                ; no bits yet: the next one fetches a byte
                ld (UPBITS),a
up_token:
                call up_bit
                jr c,up_match
                call up_gamma           ; literals
                ldir
                call up_done
                jr z,unpack
up_match:                               ; (right after literals: no flag)
                call up_gamma
                dec c
                ld b,c
                ld c,(hl)               ; BC = the offset - 1
                inc hl
                push hl
                ld a,e
                scf
                sbc a,c
                ld l,a
                ld a,d
                sbc a,b
                ld h,a                  ; HL = DE - offset
                ex (sp),hl
                call up_gamma
                inc bc                  ; the length
                ex (sp),hl
                ldir
                pop hl
                call up_done
                jr nz,up_token
                jr unpack

; up_done: Z when the block is complete (DE at its end). Looks at the
; keyboard. Keeps BC, DE, HL.
up_done:
                call kpoll
                ld a,(UPEND)
                cp e
                ret nz
                ld a,(UPEND+1)
                cp d
                ret

; up_gamma: BC = the gamma code at the stream: for each 0 one more bit.
; Keeps DE.
up_gamma:
                ld bc,1
ug_loop:
                call up_bit
                ret c
                call up_bit
                ld a,c
                rla
                ld c,a
                rl b
                jr ug_loop

; up_bit: C = the next bit of the stream; a new byte is taken from HL when
; the last one is used up (the stop bit below its bits then falls out).
; Keeps BC, DE.
up_bit:
                ld a,(UPBITS)
                add a,a
                jr nz,ub_keep
                ld a,(hl)
                inc hl
                rla
ub_keep:
                ld (UPBITS),a
                ret
