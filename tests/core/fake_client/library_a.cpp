int fakeClientBase();
int fakeClientValue() { return fakeClientBase() + 22; }
