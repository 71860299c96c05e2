// Picture files: placeholder until the JPEG reader and writer land.
