int fakeClientBase() { return 20; }
