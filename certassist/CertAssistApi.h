#pragma once

// Classes of certassist are exported from certassist.dll. The DLL's own
// sources define CERTASSIST_EXPORTS; code linking the static library directly
// defines CERTASSIST_STATIC; everyone else imports.
#if defined(CERTASSIST_STATIC)
#define CERTASSIST_API
#elif defined(CERTASSIST_EXPORTS)
#define CERTASSIST_API __declspec(dllexport)
#else
#define CERTASSIST_API __declspec(dllimport)
#endif
