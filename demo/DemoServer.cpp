// Serves the demo update set over HTTP on 127.0.0.1, as the download servers
// would: <root>/download/Verzija21/<file>. Prints the port it listens on.
#include <httplib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory holding download/Verzija21>\n", argv[0]);
        return 2;
    }
    httplib::Server server;
    if (!server.set_mount_point("/", argv[1])) {
        std::fprintf(stderr, "no such directory: %s\n", argv[1]);
        return 2;
    }
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) return 1;
    std::printf("%d\n", port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
