fin: ret
fout: ret
