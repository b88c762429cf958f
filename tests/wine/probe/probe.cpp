// tv_probe.exe: a program for the launcher tests to start.  It reports how
// it was started on its standard output, one item a line:
//   cmdline=[<its raw command line>]
//   pid=<its process id>
//   argc=<n>
//   argv[<i>]=[<argument>]
// writes "probe: on stderr" to its standard error, and takes these
// arguments anywhere on its command line:
//   --exit=N        exit with status N
//   --echo-stdin    copy its input, up to end of input, as "stdin=[...]"
//   --env=NAME      print "env NAME=[value]", or "env NAME unset"
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    int status = 0;
    bool echo = false;
    printf("cmdline=[%s]\n", GetCommandLineA());
    printf("pid=%lu\n", GetCurrentProcessId());
    printf("argc=%d\n", argc);
    for (int i = 0; i < argc; i++) {
        printf("argv[%d]=[%s]\n", i, argv[i]);
        if (strncmp(argv[i], "--exit=", 7) == 0)
            status = atoi(argv[i] + 7);
        else if (strcmp(argv[i], "--echo-stdin") == 0)
            echo = true;
        else if (strncmp(argv[i], "--env=", 6) == 0) {
            const char *v = getenv(argv[i] + 6);
            if (v)
                printf("env %s=[%s]\n", argv[i] + 6, v);
            else
                printf("env %s unset\n", argv[i] + 6);
        }
    }
    if (echo) {
        printf("stdin=[");
        int c;
        while ((c = getchar()) != EOF)
            putchar(c);
        printf("]\n");
    }
    fflush(stdout);
    fprintf(stderr, "probe: on stderr\n");
    return status;
}
