// Kernel functions: the database image, library files and file objects.
#pragma once

#define KERNEL_IMAGE_FUNCTIONS(X)
