; stub
FAC equ FPRAM
FAC_EXP equ FPRAM+4
FAC_SGN equ FPRAM+5
ARG equ FPRAM+6
fldhl: ret
fldarg: ret
fsthl: ret
fmovaf: ret
fmovfa: ret
fpush: ret
fpoparg: ret
fzero: ret
fone: ret
fadd: ret
fsub: ret
fmul: ret
fdiv: ret
fneg: ret
fabs: ret
fsgn: ret
fint: ret
fround: ret
faddx: ret
fsubx: ret
fmulx: ret
fdivx: ret
fcmp: ret
fltint: ret
fltuns: ret
fltbyte: ret
facint: ret
facaddr: ret
finit: ret
