; The 128K's memory from a program: pages each of the eight RAM banks in at 0xC000, writes a
; signature into it (256 bytes at 0xF000 that depend on the bank and the byte's place, and the
; bank's number at 0xF100: clear of this program in bank 2 and of BASIC in bank 5, which are
; also at 0x8000 and 0x4000), then reads every bank back into a CRC-16 (CCITT: polynomial 0x1021,
; start 0xFFFF) and prints "CRC " and the four hex digits. Assembled with a BASIC loader in
; front (pasmo --tapbas); runs with ROM 1 (48K BASIC) paged in and returns to BASIC.
        org 32768
BANKM   equ 0x5B5C              ; the ROM's copy of the last value written to 0x7FFD
SIGN    equ 0xF000
NUMBER  equ 0xF100
start:  di
        ld (savesp),sp
        ld sp,stack             ; below 0xC000, so that paging never moves the stack
        ld e,0                  ; the bank
write:  call page
        ld hl,SIGN
        ld b,0                  ; 256 bytes
wloop:  ld a,l
        xor e
        add a,e
        ld (hl),a
        inc hl
        djnz wloop
        ld a,e
        ld (NUMBER),a
        inc e
        ld a,e
        cp 8
        jr nz,write
        ld hl,0xFFFF
        ld (crc),hl
        ld e,0
read:   call page
        ld hl,SIGN
        ld b,0
rloop:  ld a,(hl)
        call crcbyte
        inc hl
        djnz rloop
        ld a,(NUMBER)
        call crcbyte
        inc e
        ld a,e
        cp 8
        jr nz,read
        ld a,(BANKM)            ; back to the bank BASIC had, ROM 1 still in
        or 0x10
        ld bc,0x7FFD
        out (c),a
        ld sp,(savesp)
        ei
        ld a,2                  ; the upper screen's channel
        call 0x1601             ; CHAN-OPEN
        ld hl,message
next:   ld a,(hl)
        or a
        jr z,digits
        rst 0x10                ; PRINT-A
        inc hl
        jr next
digits: ld a,(crc+1)
        call hex
        ld a,(crc)
        call hex
        ld a,13
        rst 0x10
        ret

; Bank E at 0xC000, ROM 1 and the screen as BASIC has them.
page:   ld a,(BANKM)
        and 0xE8
        or 0x10
        or e
        push bc
        ld bc,0x7FFD
        out (c),a
        pop bc
        ret

; CRC-16 of A into (crc).
crcbyte:
        push bc
        push hl
        ld hl,(crc)
        xor h
        ld h,a
        ld b,8
cbit:   add hl,hl
        jr nc,cnext
        ld a,h
        xor 0x10
        ld h,a
        ld a,l
        xor 0x21
        ld l,a
cnext:  djnz cbit
        ld (crc),hl
        pop hl
        pop bc
        ret

; A as two hex digits.
hex:    push af
        rrca
        rrca
        rrca
        rrca
        call nibble
        pop af
nibble: and 0x0F
        add a,'0'
        cp '9'+1
        jr c,digit
        add a,7
digit:  rst 0x10
        ret

message:
        defb "CRC ",0
crc:    defw 0
savesp: defw 0
        defs 64
stack:
        end start
