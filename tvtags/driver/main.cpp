#include "driver/tvt_driver.h"

int main(int argc, char **argv)
{
    return tvtags_main(argc, argv);
}
