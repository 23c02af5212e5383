#define OLD 1
