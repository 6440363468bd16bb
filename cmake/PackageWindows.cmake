# The Windows package (CPack ZIP): filled in below.
