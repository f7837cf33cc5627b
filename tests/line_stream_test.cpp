#include "ase/line_stream.h"

#include <gtest/gtest.h>

using namespace meshlift;

TEST(LineStream, Placeholder) {
    SUCCEED();
}
