; Prints a line through the ROM's own print routine and returns to BASIC.
; Assembled with a BASIC loader in front (pasmo --tapbas).
        org 32768
start:  ld a,2                  ; the upper screen's channel
        call 0x1601             ; CHAN-OPEN
        ld hl,message
next:   ld a,(hl)
        or a
        ret z
        rst 0x10                ; PRINT-A
        inc hl
        jr next
message:
        defb "MACHINE CODE RAN",13,0
        end start
