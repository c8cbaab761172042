; A CPU-heavy loop for the core benchmark: multiplication by shift and add, BCD sums,
; block moves and searches, a rotating checksum and indexed read-modify-write. No ports.
        org 8000h

start:  di
        ld sp, 0FF00h
        ld hl, table            ; fill the table with a cheap pseudo-random sequence
        ld bc, 512
        ld a, 5Ah
fill:   rrca
        xor 0A5h
        add a, c
        ld (hl), a
        inc hl
        dec bc
        ld e, a
        ld a, b
        or c
        ld a, e
        jr nz, fill

main:   ld ix, table            ; 64 products of table bytes
        ld iy, results
        ld b, 64
mulloop: ld e, (ix+0)
        ld d, 0
        ld a, (ix+1)
        call mul8
        ld (iy+0), l
        ld (iy+1), h
        inc ix
        inc iy
        inc iy
        djnz mulloop

        ld hl, bcd1             ; 8-byte decimal sum
        ld de, bcd2
        ld b, 8
        and a
bcdloop: ld a, (de)
        adc a, (hl)
        daa
        ld (de), a
        inc hl
        inc de
        djnz bcdloop

        ld hl, table            ; block moves and a search
        ld de, buffer
        ld bc, 512
        ldir
        ld hl, buffer
        ld bc, 512
        ld a, 0AAh
        cpir
        ld hl, buffer+511
        ld de, buffer2+511
        ld bc, 512
        lddr

        ld hl, buffer           ; rotating checksum
        ld bc, 256
        ld de, 0
cksum:  ld a, (hl)
        rlca
        xor e
        ld e, a
        rl d
        srl a
        add a, d
        ld d, a
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, cksum

        ld ix, buffer           ; indexed read-modify-write
        ld b, 128
idx:    inc (ix+3)
        rlc (ix+5)
        ld a, (ix+7)
        sub (ix+2)
        ld (ix+9), a
        bit 0, (ix+1)
        jr z, idxskip
        ex af, af'
        exx
        exx
        ex af, af'
idxskip: inc ix
        djnz idx

        ld hl, (count)
        inc hl
        ld (count), hl
        jp main

; HL = DE * A
mul8:   push bc
        ld hl, 0
        ld b, 8
mulbit: add hl, hl
        rla
        jr nc, mulnext
        add hl, de
mulnext: djnz mulbit
        pop bc
        ret

count:  dw 0
bcd1:   db 99h, 45h, 01h, 78h, 23h, 56h, 89h, 12h
bcd2:   db 01h, 55h, 99h, 22h, 77h, 44h, 11h, 88h
table:  ds 512
results: ds 128
buffer: ds 512
buffer2: ds 512
