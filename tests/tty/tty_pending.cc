// tty_pending TTY: prints how many typed bytes wait unread in the input
// queue of the terminal TTY (a pane's pty), so a test can tell that its keys
// have arrived before it lets a stopped program go on.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tty_pending TTY\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  int pending = 0;
  if (ioctl(fd, FIONREAD, &pending) != 0) {
    std::perror("FIONREAD");
    close(fd);
    return 1;
  }
  close(fd);
  std::printf("%d\n", pending);
  return 0;
}
