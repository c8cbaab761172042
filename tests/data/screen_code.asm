; Run after the loading screen: prints a line at the top and returns to BASIC.
        org 40000
start:  ld a,2
        call 0x1601
        ld hl,message
next:   ld a,(hl)
        cp 0xFF                 ; the AT codes hold zeros
        ret z
        rst 0x10
        inc hl
        jr next
message:
        defb 22,0,0,"SCREEN AND CODE RAN",0xFF   ; AT 0,0
        end start
