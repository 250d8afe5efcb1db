; Gigascreen on a 128K Spectrum: screen 1 in bank 5 (the normal screen),
; screen 2 in bank 7 (the shadow screen), shown on alternate frames by an
; IM 2 routine that flips bit 3 of port 0x7ffd at every interrupt. All of it
; lives in bank 2 (0x8000..0xbfff), which stays in place whatever is paged
; at 0xc000, and nothing here writes to either screen.

BANKM           equ 0x5b5c      ; the 128K ROM's copy of the last write to port 0x7ffd
PAGING          equ 0x7ffd
SHOW_SHADOW     equ 8           ; port 0x7ffd bit 3
BANK_MASK       equ 7           ; port 0x7ffd bits 0..2: the bank at 0xc000
SHADOW_BANK     equ 7
SHADOW_SCREEN   equ 0xc000
SCREEN_BYTES    equ 6912
VECTORS         equ 0x8100      ; 257 bytes, whatever the data bus holds
HANDLER         equ 0x8282      ; where every vector points

        org 0x8000
        public origin
origin:                         ; where these bytes go in memory

; Called from BASIC (RANDOMIZE USR) once screen 1 is in place and screen 2
; waits at second_screen: copies screen 2 into bank 7, shows the pair until
; a key is pressed, then gives BASIC back the paging, the normal screen and
; the ROM's interrupts.
        public show_pair
show_pair:
        di
        ld a,(BANKM)
        ld (paging),a
        and 255 - BANK_MASK
        or SHADOW_BANK
        ld bc,PAGING
        out (c),a
        ld hl,second_screen
        ld de,SHADOW_SCREEN
        ld bc,SCREEN_BYTES
        ldir
        ld a,(paging)
        ld bc,PAGING
        out (c),a
        ld a,high VECTORS
        ld i,a
        im 2
        ei
released:                       ; the key that started us may still be down
        call any_key
        jr nz,released
pressed:
        halt
        call any_key
        jr z,pressed
        di
        ld a,(BANKM)
        ld bc,PAGING
        out (c),a
        ld a,0x3f               ; I as the ROM leaves it
        ld i,a
        im 1
        ei
        ret

; A snapshot starts here with IM 2, I = high VECTORS and interrupts on.
        public forever
forever:
        halt
        jr forever

; NZ while any key of the keyboard is held.
any_key:
        xor a
        in a,(0xfe)
        cpl
        and 0x1f
        ret

; The last value written to port 0x7ffd; a snapshot starts with it.
        public paging
paging: defb 0x10               ; ROM 1 (48 BASIC), bank 0, normal screen

        ds VECTORS - $
        public vectors
vectors:
        ds 257, high HANDLER

        ds HANDLER - $
flip:
        push af
        push bc
        ld a,(paging)
        xor SHOW_SHADOW
        ld (paging),a
        ld bc,PAGING
        out (c),a
        pop bc
        pop af
        ei
        reti

; The loader's LOAD ""CODE puts screen 2 here.
        public second_screen
second_screen   equ 0x9000
