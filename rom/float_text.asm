; Numbers as text for Zorva BASIC: fin reads a number's text into FAC, fout
; writes FAC as BASIC prints it into FOUTBUF. Built on float.asm.
