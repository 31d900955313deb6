#include <iostream>

int fakeClientValue();

// Ends with 0 only when both libraries were found and loaded.
int main()
{
    std::cout << "fake client program " << fakeClientValue() << "\n";
    return fakeClientValue() == 42 ? 0 : 1;
}
