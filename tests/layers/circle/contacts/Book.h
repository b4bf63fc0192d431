#pragma once

#include "service/Link.h"
