; ===========================================================================
; Zorva BASIC: SAVE, LOAD and FILES (and CSAVE and CLOAD, their names on the
; machine), carried out by the host: the emulator keeps programs as text
; files, which this ROM cannot reach.
;
; hostask fills the request block at HOSTBLK: the request, the text pointer,
; then hostinfo (what the host needs to know of this BASIC) with the banner
; after it as a 16-byte signature. The signature's last byte goes in last,
; so the host, which looks at the block between batches of instructions,
; never sees half a request. It answers by clearing that byte, having named
; one of hostinfo's routines with the DE and HL to go to it with. A routine
; that returns (printing a text, reading a key, storing a line, NEW) asks
; again, with A; the others (RUN, an error, OK) end the statement, and
; hf_done goes on with it at DE.
; ===========================================================================

; s_file: the statement whose token is before DE.
s_file:
                dec de
                ld a,(de)
                inc de
; hostask: A = the request (a token; 0: go on; 1: a line did not go in), DE
; = the text pointer. Goes where the host answers.
hostask:
                ld (HOSTREQ),a
                ld (HOSTDE),de
                ld hl,hostinfo
                ld de,HOSTINFO
                ld bc,HOSTINFOLEN
                ldir
ha_wait:
                call kpoll              ; keys typed meanwhile wait their turn
                ld a,(HOSTINFO+HOSTINFOLEN-1)
                cp KEY_CR
                jr z,ha_wait
                ld hl,hf_next
                push hl
                ld hl,(HOSTGO)
                push hl
                ld de,(HOSTDE)
                ld hl,(HOSTHL)
                ret
hf_next:
                ld (HOSTA),a
                xor a
                jr hostask
; hf_done: back to the statement loop, at DE.
hf_done:
                pop hl
                ret
