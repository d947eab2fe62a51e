MOD1.TXT
        5
