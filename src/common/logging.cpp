#include "common/logging.hpp"
