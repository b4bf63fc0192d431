#pragma once

#include "contacts/Book.h"
