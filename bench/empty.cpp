// The reference of bench/start.py: a program that does nothing, linked to the shared libraries the headless
// client loads, so that its start is what loading them costs.
int main()
{
    return 0;
}
