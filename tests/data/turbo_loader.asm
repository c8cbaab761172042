; A loader of our own for tapes with other timings than the ROM's: sixteen pilot pulses in a
; row of at least 45 counts (1935 T-states), a sync pulse of under 20 counts (860), one more
; sync pulse, then 256 bytes, each bit two pulses, the second one timed: under 30 counts (1290
; T-states) is a 0, longer a 1. The bytes go to 0x9000; 1 at 0x8FF0 says the block is in.
; One count is one pass of the edge loop, 43 T-states.

        org 0x8000

start:  di
        ld a, 0x7F
        in a, (0xFE)
        and 0x40
        ld c, a                 ; the EAR level now, as bit 6
pilot:  ld h, 16
count:  call edge
        ld a, b
        cp 45
        jr c, pilot             ; too short for the pilot: count again
        dec h
        jr nz, count
sync:   call edge               ; the pilot goes on to the first short pulse
        ld a, b
        cp 20
        jr nc, sync
        call edge               ; the second sync pulse
        ld ix, 0x9000
        ld de, 256
getbyte:   ld l, 1                 ; a marker bit, shifted out after eight bits
getbit:  call edge               ; the bit's first pulse
        call edge               ; its second, timed
        ld a, b
        cp 30
        ccf                     ; carry: a long pulse, a 1
        rl l
        jr nc, getbit
        ld (ix+0), l
        inc ix
        dec de
        ld a, d
        or e
        jr nz, getbyte
        ld a, 1
        ld (0x8FF0), a
done:   jr done

; Waits for the EAR level to change; B is the number of passes (0: none in 255 passes).
edge:   ld b, 0
wait:   inc b                   ; 4
        ret z                   ; 5
        in a, (0xFE)            ; 11
        xor c                   ; 4
        and 0x40                ; 7
        jr z, wait              ; 12 while the level holds
        ld a, c
        xor 0x40
        ld c, a
        ret
