; ===========================================================================
; Zorva Monitor 1.0 - the system ROM that Zorva boots into.
;
; A small machine-code monitor for the Aquarius: it clears the screen, shows
; a title bar, and then reads one command line at a time from the keyboard.
; Commands (one letter, any case, numbers in hex):
;
;   D [addr [count]]   dump memory, 8 bytes a line (count 1-80, default 40)
;   M addr bb [bb..]   modify memory
;   F addr count bb    fill memory
;   G addr             call a program; it comes back with RET
;   O port bb          OUT (port),A with A = bb
;   C                  the character set, 16 x 16
;   P                  the colour pairs, 16 x 16
;   X                  clear the screen
;   H                  help
;
; Errors are one line: ?SYNTAX, ?BAD NUMBER or ?PROTECTED.
;
; Memory map
;   0000-1FFF  this ROM (0000 boot, 0008-0038 restarts back into the monitor)
;   3000-33E7  character memory, 40 x 25; row 0 is the title bar
;   3400-37E7  colour memory, one byte a cell: foreground << 4 | background
;   3800-38B7  monitor variables and buffers
;   38B8-38FF  keyboard state and the 64-key typeahead buffer
;   3900-39FF  monitor stack (SP starts at 3A00)
;   3A00-BFFF  free for programs
;   C000-FFFF  cartridge area
; M and F refuse to write into 0000-1FFF or 3800-39FF, and F refuses a range
; that runs past FFFF (answer: ?PROTECTED).
;
; Cartridge header
;   C000-C004  the ASCII bytes "ZORVA"
;   C005-C006  entry address, low byte first
; At power-on the screen is cleared and, when the header is there, the entry
; is CALLed on the monitor's stack (just below 3A00); a cartridge that returns
; lands in the monitor.
; Without the header the cartridge area is left alone.
;
; The processor this runs on implements a subset of the Z80 instruction set
; with simpler flag rules, so this code keeps to: unprefixed opcodes (no DI,
; EI, DAA or CPL), IN r,(C), LDIR, SET, a few CB shifts, and LD/INC with IX.
; It relies only on Z and C, and compares 16-bit values byte by byte
; (SBC HL never sets C here).
; ===========================================================================

; ---- screen -----------------------------------------------------------------
SCREEN          equ 3000h
COLOUR          equ 3400h           ; = SCREEN with bit 2 of the high byte set
COLS            equ 40
ROWS            equ 25
LASTROW         equ ROWS-1

; Colour numbers: bit 0 red, bit 1 green, bit 2 blue, bit 3 dark; 0 black.
; A cell's colour byte is foreground << 4 | background.
DEFATTR         equ 7Ch             ; white on dark blue
BANNERATTR      equ 0C6h            ; dark blue on light cyan
PROMPTATTR      equ 3Ch             ; light yellow on dark blue
HINTATTR        equ 2Ch             ; light green on dark blue
ERRATTR         equ 1Ch             ; light red on dark blue

CURSOR          equ 7Fh             ; solid block glyph
KEY_BS          equ 08h
KEY_CR          equ 0Dh
MAXLEN          equ COLS-3          ; "> " + text + cursor fits one row

DUMPDEF         equ 40h             ; bytes shown by D without a count
DUMPMAX         equ 80h             ; largest count D accepts: 16 lines

; ---- RAM ------------------------------------------------------------------
VARS            equ 3800h
ROWPTR          equ VARS+0          ; 2: first cell of the cursor's row
CURROW          equ VARS+2          ; 1: the cursor's row, 1..24
ATTR            equ VARS+3          ; 1: colour used by line output
INLEN           equ VARS+5          ; 1: characters in INBUF
DUMPNEXT        equ VARS+6          ; 2: where a bare D goes on
DADDR           equ VARS+8          ; 2: dump address
DREM            equ VARS+10         ; 2: dump bytes left
ARG1            equ VARS+12         ; 2
ARG2            equ VARS+14         ; 2
OUTTRAMP        equ VARS+16         ; 3: OUT (n),A / RET, built by O
INBUF           equ VARS+32         ; 40: the command line, 0-terminated
LINEBUF         equ VARS+80         ; 40: characters of the line being built
ATTRBUF         equ LINEBUF+COLS    ; 40: its colours (must follow LINEBUF)
MBUF            equ VARS+160        ; 24: bytes collected by M
MBUFLEN         equ 24
; The keyboard's state, shared by the monitor and BASIC.
KEYROW          equ VARS+0B8h       ; 1: port 00FF as kpoll saw it last
RNDSEED         equ VARS+0B9h       ; 2: moves while getkey waits
BRKFLAG         equ VARS+0BBh       ; 1: not 0 once Ctrl+C was pressed
KEYHEAD         equ VARS+0BCh       ; 1: where the oldest waiting key is
KEYCOUNT        equ VARS+0BDh       ; 1: keys waiting
KEYBUF          equ VARS+0C0h       ; 64: the typeahead ring, 64-aligned
KEYBUFLEN       equ 64
WORKEND         equ 3A00h           ; end of the monitor's own RAM
STACKTOP        equ WORKEND

CART            equ 0C000h

; ===========================================================================
                org 0000h

                jp boot

; Restarts: stray code that runs into an RST (or into the 0FFh padding of
; this ROM) ends up back in the monitor instead of running wild.
                ds 0008h-$,0FFh
                jp warm
                ds 0010h-$,0FFh
                jp warm
                ds 0018h-$,0FFh
                jp warm
                ds 0020h-$,0FFh
                jp warm
                ds 0028h-$,0FFh
                jp warm
                ds 0030h-$,0FFh
                jp warm
                ds 0038h-$,0FFh
                jp warm
                ds 0040h-$,0FFh

; ---------------------------------------------------------------------------
; Power-on: a blank screen, then a cartridge with our header, or the monitor.
boot:
                ld sp,STACKTOP
                xor a
                ld (BRKFLAG),a
                ld (KEYCOUNT),a
                call clrall
                ld hl,cartsig
                ld de,CART
                ld b,5
bt_sig:         ld a,(de)
                cp (hl)
                jr nz,warm
                inc hl
                inc de
                djnz bt_sig
                ld hl,(CART+5)
                call jphl
                ; the cartridge returned: carry on into the monitor

; Monitor start: fresh variables, title bar, hint, then the command loop.
warm:
                ld sp,STACKTOP
                call initvars
                call clrall
                call banner
                ld a,HINTATTR
                ld hl,t_hint
                call pcolour
main:
                call readline
                call execute
                jr main

jphl:           jp (hl)

initvars:
                ld a,DEFATTR
                ld (ATTR),a
                xor a
                ld (INLEN),a
                ld hl,0
                ld (DUMPNEXT),hl
                ret

                include "screen.asm"
                include "keyboard.asm"
                include "monitor.asm"

; Everything from here on is data: no instructions below this label.
code_end:
                include "text.asm"

                if $ > 2000h
                .error The ROM is larger than 8192 bytes
                endif
                ds 2000h-$,0FFh
                end
