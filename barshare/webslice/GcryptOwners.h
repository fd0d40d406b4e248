#pragma once

#include <gcrypt.h>

#include <memory>

// Owners for libgcrypt's objects, each freed by its own release function.
namespace gcrypt {

template <typename T, void (*Release)(T*)>
struct Releaser {
  void operator()(T* object) const { Release(object); }
};

using Mpi = std::unique_ptr<gcry_mpi, Releaser<gcry_mpi, gcry_mpi_release>>;
using Point = std::unique_ptr<gcry_mpi_point, Releaser<gcry_mpi_point, gcry_mpi_point_release>>;
using Context = std::unique_ptr<gcry_context, Releaser<gcry_context, gcry_ctx_release>>;
using Sexp = std::unique_ptr<gcry_sexp, Releaser<gcry_sexp, gcry_sexp_release>>;

inline Mpi NewMpi() { return Mpi(gcry_mpi_new(0)); }

// Initialises the library once per process; safe from any thread.
void EnsureInitialised();

}  // namespace gcrypt
