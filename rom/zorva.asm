; ===========================================================================
; Zorva's system ROM: Zorva BASIC and the Zorva Monitor.
;
; At power-on a cartridge with our header runs first; then BASIC starts
; (basic*.asm): a floating-point BASIC in the style of the period's
; Microsoft BASICs, its numbers in float*.asm. Its MON enters
; the monitor (monitor.asm), a one-letter command line in hex (D dump,
; M modify, F fill, G call, O output, C characters, P colours, X clear,
; H help), whose B goes back to BASIC with the program and variables as they
; were. rom/README.md describes both.
;
; More code than 8 KiB holds: the ROM keeps only the start-up and the
; unpacker (unpack.asm); everything else is assembled to run from RAM, and
; the build (make_rom) packs it into the rest of the ROM, from packed_data
; on. At power-on it is unpacked to 2000-2FFF and 4000 on.
;
; Memory map
;   0000-1FFF  this ROM (0000 boot; restarts below; the packed code)
;   2000-2FFF  code unpacked at power-on: the monitor and the screen
;   3000-33E7  character memory, 40 x 25
;   3400-37E7  colour memory, one byte a cell: foreground << 4 | background
;   3800-38B7  monitor variables and buffers
;   38B8-38FF  keyboard state and the 64-key typeahead buffer
;   3900-397F  reserved for the floating-point package
;   3980-39BA  BASIC's requests to the host: SAVE, LOAD, FILES (basic_files.asm)
;   3A00-3BFF  the stack (SP starts at 3C00), the monitor's or BASIC's
;   3C00-3FFF  BASIC's state, line buffers, temporary strings and FOR/GOSUB
;              stack
;   4000-      code unpacked at power-on: BASIC
;   PROGRAM-BFFF  BASIC's program, variables, arrays and strings (for the
;              monitor: free for programs)
;   C000-FFFF  cartridge area
; The monitor's M and F refuse to write into 0000-2FFF, 3800-3BFF or BASIC's
; code, and F refuses a range that runs past FFFF (answer: ?PROTECTED).
;
; Cartridge header
;   C000-C004  the ASCII bytes "ZORVA"
;   C005-C006  entry address, low byte first
; At power-on the screen is cleared and, when the header is there, the entry
; is CALLed on the monitor's stack (just below 3C00); a cartridge that returns
; lands in BASIC. Without the header the cartridge area is left alone.
;
; The processor this runs on implements a subset of the Z80 instruction set
; with simpler flag rules, so this code keeps to: unprefixed opcodes (no DI,
; EI, DAA or CPL), IN r,(C), LDIR, LDDR, SET, a few CB shifts and rotates,
; and the IX forms the processor has. It relies only on Z and C (and S after
; arithmetic), and compares 16-bit values byte by byte (SBC HL never sets C
; here).
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
FPRAM           equ 3900h           ; 128: the number package's RAM
; BASIC's request block: where SAVE, LOAD and FILES ask the host (hostask).
HOSTBLK         equ 3980h
HOSTREQ         equ HOSTBLK+0       ; 1: a statement's token; 0 go on; 1 a line failed
HOSTA           equ HOSTBLK+1       ; 1: A as the host's routine left it (a key)
HOSTGO          equ HOSTBLK+2       ; 2: the answer: the routine to go to,
HOSTDE          equ HOSTBLK+4       ; 2: with this DE (in: the text pointer)
HOSTHL          equ HOSTBLK+6       ; 2: and this HL (in: an error's letters)
HOSTLOAD        equ HOSTBLK+8       ; 1: not 0 while LOAD stores lines (the host's)
HOSTINFO        equ HOSTBLK+9       ; hostinfo's copy, the signature at its end
WORKEND         equ 3C00h           ; end of the monitor's own RAM and stack
STACKTOP        equ WORKEND
LOWCODE         equ 2000h           ; code unpacked at power-on, below the screen
HIGHCODE        equ 4000h           ; and above BASIC's state

CART            equ 0C000h

; ---- BASIC -----------------------------------------------------------------
MAXLINE         equ 160             ; characters in a typed line: four rows
ZONE            equ 14              ; PRINT's comma zones
BSTACK          equ STACKTOP        ; BASIC's stack is the monitor's, 3A00-3BFF
STKLIMIT        equ 3A00h+64        ; expressions nest no deeper than this
; BASIC's own state, kept while the monitor runs.
BVARS           equ WORKEND
VARTAB          equ BVARS+0         ; 2: the end of the program: simple variables
ARYTAB          equ BVARS+2         ; 2: arrays
STREND          equ BVARS+4         ; 2: the end of the arrays
FRETOP          equ BVARS+6         ; 2: the bottom of the string space
CSP             equ BVARS+8         ; 2: the newest FOR/GOSUB frame
CURLINE         equ BVARS+10        ; 2: the line running, FFFF: a direct line
CURLPTR         equ BVARS+12        ; 2: its address
DATPTR          equ BVARS+14        ; 2: where READ goes on, 0: from the start
CONTPTR         equ BVARS+16        ; 2: where CONT goes on, 0: it cannot
CONTLINE        equ BVARS+18        ; 2
CONTLPTR        equ BVARS+20        ; 2
TEMPPT          equ BVARS+22        ; 2: the next free temporary
STMTPTR         equ BVARS+24        ; 2: the statement running
CURPOS         equ BVARS+26        ; 2: the cursor's cell
INPPTR          equ BVARS+28        ; 2: the next answer in INPBUF
INPVARS         equ BVARS+30        ; 2: INPUT's variables, to ask again
LISTTO          equ BVARS+32        ; 2: LIST's last line
GCDEST          equ BVARS+34        ; 2: where packing puts the next block
SUB1            equ BVARS+36        ; 2: an array's subscripts,
SUB2            equ BVARS+38        ; 2
DIM1            equ BVARS+40        ; 2: sizes,
DIM2            equ BVARS+42        ; 2
AOFS            equ BVARS+44        ; 2: element offset,
ANAME           equ BVARS+46        ; 2: name
NSUBS           equ BVARS+48        ; 1: and number of subscripts
CURCOL          equ BVARS+49        ; 1: the cursor's column
VALTYP          equ BVARS+50        ; 1: 0 number, 1 string
VCREATE         equ BVARS+51        ; 1: getvar makes new variables
BMAGIC          equ BVARS+52        ; 2: BASIC_MAGIC once BASIC has started
XPSAVE          equ BVARS+54        ; 2: expr's operator while an operand moves
NXFRAME         equ BVARS+56        ; 2: the FOR frame NEXT works on
OVERCNT         equ BVARS+58        ; 1: characters typed past a full line
FORSTEP         equ BVARS+60        ; 4: FOR's step, then
FORLIM          equ BVARS+64        ; 4: its limit, on their way to the frame
TEMPST          equ BVARS+80        ; 48: 16 temporary string descriptors
TEMPEND         equ TEMPST+48
BLINE           equ TEMPEND         ; 3: a line being stored: length, number
BINBUF          equ BLINE+3         ; the typed line, tokenised in place
INPBUF          equ BINBUF+MAXLINE+2 ; answers to INPUT
NUMBUF          equ INPBUF+MAXLINE+2 ; 8: a number as text
CSBOT           equ NUMBUF+8        ; 512: the FOR/GOSUB stack, growing down
CSTOP           equ CSBOT+512
PROGRAM         equ program         ; after BASIC's code: the program, then variables, arrays,
HEAPTOP         equ CART            ; free RAM, and strings up to here
MINFREE         equ 16              ; kept free when a line is stored
BASIC_MAGIC     equ 0B45Ah
FORSIZE         equ 17              ; FOR frame
VARSIZE         equ 6               ; a simple variable
GOSIZE          equ 7               ; GOSUB frame

; Restarts used by BASIC.
R_EXPECT        equ 08h
R_EVALNUM       equ 10h
R_PUTC          equ 18h
R_GETC          equ 28h

; Operations of the binary operators.
OP_ADD          equ 1
OP_SUB          equ 2
OP_MUL          equ 3
OP_DIV          equ 4
OP_POW          equ 5
OP_AND          equ 6
OP_OR           equ 7
OP_REL          equ 8               ; 8 + LT 1, EQ 2, GT 4
OPCOUNT         equ 10              ; binary operators in opchars

; Tokens: the keywords' numbers in stored lines.
TK_END          equ 080h
TK_FOR          equ 081h
TK_NEXT         equ 082h
TK_DATA         equ 083h
TK_INPUT        equ 084h
TK_DIM          equ 085h
TK_READ         equ 086h
TK_LET          equ 087h
TK_GOTO         equ 088h
TK_RUN          equ 089h
TK_IF           equ 08Ah
TK_RESTORE      equ 08Bh
TK_GOSUB        equ 08Ch
TK_RETURN       equ 08Dh
TK_REM          equ 08Eh
TK_STOP         equ 08Fh
TK_ON           equ 090h
TK_POKE         equ 091h
TK_PRINT        equ 092h
TK_CONT         equ 093h
TK_LIST         equ 094h
TK_CLEAR        equ 095h
TK_NEW          equ 096h
TK_CLS          equ 097h
TK_MON          equ 098h
TK_DEF          equ 099h
TK_SAVE         equ 09Ah            ; to TK_CLOAD: the host serves them
TK_LOAD         equ 09Bh
TK_FILES        equ 09Ch
TK_CSAVE        equ 09Dh
TK_CLOAD        equ 09Eh
TK_TO           equ 09Fh
TK_THEN         equ 0A0h
TK_STEP         equ 0A1h
TK_NOT          equ 0A2h
TK_AND          equ 0A3h
TK_OR           equ 0A4h
TK_TAB          equ 0A5h
TK_SPC          equ 0A6h
TK_ABS          equ 0A7h
TK_SGN          equ 0A8h
TK_INT          equ 0A9h
TK_PEEK         equ 0AAh
TK_FRE          equ 0ABh
TK_RND          equ 0ACh
TK_LEN          equ 0ADh
TK_ASC          equ 0AEh
TK_VAL          equ 0AFh
TK_CHRS         equ 0B0h
TK_STRS         equ 0B1h
TK_LEFTS        equ 0B2h
TK_RIGHTS       equ 0B3h
TK_MIDS         equ 0B4h
TK_INKEYS       equ 0B5h
TK_SQR          equ 0B6h
TK_SIN          equ 0B7h
TK_COS          equ 0B8h
TK_TAN          equ 0B9h
TK_ATN          equ 0BAh
TK_LOG          equ 0BBh
TK_EXP          equ 0BCh
TK_FN           equ 0BDh
TK_LASTST       equ TK_CLOAD
TK_FIRSTFN      equ TK_ABS
TK_LASTFN       equ TK_FN

; ===========================================================================
                org 0000h

; Power-on: the stack, then the code that runs from RAM is unpacked; boot
; goes on from there.
                ld sp,STACKTOP
                call unpack
                jr boot

; Restarts: 08-18 and 28 are BASIC's most used routines, one byte to call.
; Stray code that runs into 20 or 38 (or into the 0FFh padding of this ROM)
; ends up back in the monitor instead of running wild.
                ds 0008h-$,0FFh
                jp expect
                ds 0010h-$,0FFh
                jp evalnum
                ds 0018h-$,0FFh
                jp putc
                ds 0020h-$,0FFh
                jp warm
                ds 0028h-$,0FFh
; getc (RST R_GETC), here in full as BASIC calls it more than anything:
; skip spaces at DE; A = the character there; Z at the end of a statement
; (0 or a colon). Keeps everything else.
getc:
                ld a,(de)
                cp ' '
                jr nz,gc_end
                inc de
                jr getc
gc_end:
                or a
                ret z
                cp ':'
                ret
                ds 0038h-$,0FFh
                jp warm
                ds 0040h-$,0FFh

; ---------------------------------------------------------------------------
; A blank screen, then a cartridge with our header, or BASIC.
boot:
                xor a
                ld (BRKFLAG),a
                ld (KEYCOUNT),a
                call clrall
                ld hl,cartsig
                ld de,CART
                ld b,5
bt_sig:         ld a,(de)
                cp (hl)
                jr nz,bt_basic
                inc hl
                inc de
                djnz bt_sig
                ld hl,(CART+5)
                call jphl
                ; the cartridge returned: carry on into BASIC
bt_basic:
                jp bas_cold

jphl:           jp (hl)

                include "unpack.asm"

; Everything from here on is data: no instructions below this label.
rom_code_end:
; make_rom puts the packed code here.
packed_data:
                if $ > 1F00h
                .error The ROM's own part leaves too little room for the packed code
                endif

; ---- unpacked at power-on below the screen --------------------------------
                org LOWCODE
ram_low_start:
                include "screen.asm"
                include "keyread.asm"
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

initvars:
                ld a,DEFATTR
                ld (ATTR),a
                xor a
                ld (INLEN),a
                ld hl,0
                ld (DUMPNEXT),hl
                ret

                include "monitor.asm"
                include "float.asm"
                include "keyboard.asm"
low_code_end:
                include "text.asm"
                include "keys.asm"
ram_low_end:
                if $ > UPMODEL
                .error The code below the screen runs into the unpacker's model
                endif

; ---- unpacked at power-on above BASIC's state -------------------------------
                org HIGHCODE
ram_high_start:
                include "basic.asm"
                include "basic_screen.asm"
                include "basic_expr.asm"
                include "basic_vars.asm"
                include "basic_strings.asm"
                include "basic_stmt.asm"
                include "basic_files.asm"
                include "float_text.asm"
                include "float_func.asm"
high_code_end:
                include "basic_text.asm"
ram_high_end:
; BASIC's program starts on the next page boundary.
program         equ (ram_high_end+255) AND 0FF00h
                if program > 6000h
                .error BASIC's code runs into 6000, which the monitor's help calls free
                endif
                end
