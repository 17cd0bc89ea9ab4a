#include <QCoreApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("reelwright-cli %s\n", REELWRIGHT_VERSION);
        return 0;
    }
    std::printf("usage: reelwright-cli COMMAND [ARGS]\n");
    return argc >= 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
