// Resources of KTRVtest.exe.
#ifndef KTRV_WIN32_RESOURCES_H
#define KTRV_WIN32_RESOURCES_H

#define KTRV_ICON     1
#define KTRV_PICTURE1 101

#endif
