/* Common declarations for the tarvo public headers. */
#ifndef TARVO_API_H
#define TARVO_API_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
#define TARVO_EXTERN_C extern "C"
#else
#define TARVO_EXTERN_C extern
#endif

#if defined(TARVO_BUILDING) || defined(TARVO_STATIC)
#define TARVO_DATA TARVO_EXTERN_C
#else
#define TARVO_DATA TARVO_EXTERN_C __declspec(dllimport)
#endif

#define TARVO_API TARVO_EXTERN_C

/* Many exports report success as a 32-bit value with all bits set. */
#define TARVO_TRUE ((int32_t)-1)

#endif
