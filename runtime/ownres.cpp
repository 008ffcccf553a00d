// The containers setup.exe carries as resources of its own type.
#include "resource.h"
#include "runtime.h"

const void *LoadOwnContainer(HINSTANCE module, int id, DWORD *size, int *step)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_CMPFILE);
    *step = OWN_CONTAINER_MISSING;
    if (!found)
        return NULL;
    HGLOBAL loaded = LoadResource(module, found);
    *step = OWN_CONTAINER_UNLOADED;
    if (!loaded)
        return NULL;
    *size = SizeofResource(module, found);
    const void *data = LockResource(loaded);
    *step = OWN_CONTAINER_UNLOCKED;
    return data;
}
