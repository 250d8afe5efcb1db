; The whole program of a snapshot whose picture needs nothing after loading:
; the processor stops with interrupts off, so nothing changes the display or
; the screen mode again.

        org 0x8000
        public origin
origin:                         ; where these bytes go in memory

        public stop
stop:
        di
        halt
