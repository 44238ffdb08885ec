; Test driver for the floating-point package (rom/float*.asm): assembled on
; its own at 4000h by tests/float_test.cmake and loaded into a test processor
; by tests/rom/float_run.h, which calls the package's routines by their
; symbols with a return address pointing at harness_done.
;
; It gives the package what the ROM gives it: FPRAM, the error entries and
; kpoll. An error entry records its code in harness_error and halts, so the
; runner sees which error was raised; kpoll counts its calls and changes AF as
; the real one may.
;
; The instruction check decodes everything from float_start to harness_end
; except data: a table starts at a label whose name ends in _data and ends at
; the label of the same name followed by _end (e.g. fs_coef_data ...
; fs_coef_data_end).

harness_org     equ 4000h
FPRAM           equ 0E000h          ; the package's 128 bytes
harness_error   equ 0E100h          ; 0 none, 1 ?OV, 2 ?/0, 3 ?FC
harness_polls   equ 0E102h          ; calls of kpoll, 16 bits
harness_stack   equ 0F000h          ; the runner's SP before the call

        org harness_org

harness_done:
        halt                        ; routines return here

e_ov:   ld a,1
        jr harness_stop
e_dz:   ld a,2
        jr harness_stop
e_fc:   ld a,3
harness_stop:
        ld (harness_error),a
        halt

kpoll:  push hl
        ld hl,(harness_polls)
        inc hl
        ld (harness_polls),hl
        pop hl
        ld a,0A5h                   ; the caller may not rely on AF
        or a
        ret

; fpush, FAC cleared, fpoparg: ARG ends as FAC was, SP as before.
harness_pushpop:
        call fpush
        call fzero
        call fpoparg
        ret

        include "../../rom/float.asm"
        include "../../rom/float_text.asm"
        include "../../rom/float_func.asm"
harness_end:
