old kdzspc.h
