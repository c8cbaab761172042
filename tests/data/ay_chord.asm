; A C major chord on the 128K's sound chip: C5, E5 and G5 on channels A, B and C at full volume,
; tones only. Each register is selected at port 0xFFFD and written at 0xBFFD; then the
; program waits with the chord sounding.

        org 0x8000

start:  di
        ld hl, chord
        ld e, (chord_end - chord) / 2
next:   ld a, (hl)              ; the register's number
        inc hl
        ld bc, 0xFFFD
        out (c), a
        ld a, (hl)              ; its value
        inc hl
        ld b, 0xBF              ; 0xBFFD
        out (c), a
        dec e
        jr nz, next
wait:   jr wait

; Periods for a 1.7734 MHz clock: 16 * period clock cycles a wave.
chord:  db 0, 212 & 0xFF, 1, 212 >> 8  ; A: C5, 523.25 Hz: 1773400 / (16 * 523.25) = 211.8
        db 2, 168 & 0xFF, 3, 168 >> 8  ; B: E5, 659.26 Hz: 168.1
        db 4, 141 & 0xFF, 5, 141 >> 8  ; C: G5, 783.99 Hz: 141.4
        db 7, 0x38                     ; mixer: the three tones on, noise off
        db 8, 15, 9, 15, 10, 15        ; volumes
chord_end:
