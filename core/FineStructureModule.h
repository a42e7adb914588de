#pragma once

// What the fine-structure module offers the core: a C function, looked up by name.

#if defined(_WIN32)
#define VARNOCK_MODULE_EXPORT __declspec(dllexport)
#else
#define VARNOCK_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// Called for each configuration with its mass in u and its probability.
typedef void (*VarnockConfiguration)(void* Context, double Mass, double Probability);
// Lists every configuration of the given elements down to Threshold times the most probable
// one; Masses and Abundances hold each element's isotopes in turn. 1 when it went through.
typedef int (*VarnockListConfigurationsFunction)(int Elements, const int* IsotopeCounts,
                                                 const int* AtomCounts, const double* Masses,
                                                 const double* Abundances, double Threshold,
                                                 VarnockConfiguration Each, void* Context);
}

// The module's file in the program's folder. In a folder of its own, it is no library of the
// system's: nothing runs ldconfig for it.
#if defined(_WIN32)
#define VARNOCK_FINE_STRUCTURE_MODULE "modules\\varnock-fine-structure.dll"
#else
#define VARNOCK_FINE_STRUCTURE_MODULE "modules/varnock-fine-structure.so"
#endif
