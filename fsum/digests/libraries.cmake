# The libraries the digests come from, compiled from the Debian files that
# scripts/sources.sh fetches into build/deps (the newest release there, unless
# a *_SOURCE_DIR names one). None of their code is ours to change: their
# warnings are off.

# dep_source(VAR NAME PROBE): the folder build/deps/NAME-<release> that holds PROBE.
function(dep_source var name probe)
  if(NOT ${var})
    file(GLOB found ${CMAKE_SOURCE_DIR}/build/deps/${name}-*/${probe})
    list(SORT found COMPARE NATURAL ORDER DESCENDING)
    list(LENGTH found count)
    if(count GREATER 0)
      list(GET found 0 newest)
      string(REGEX REPLACE "/${probe}$" "" newest "${newest}")
      set(${var} ${newest} PARENT_SCOPE)
      return()
    endif()
  endif()
  if(NOT EXISTS "${${var}}/${probe}")
    message(FATAL_ERROR "${var} must name ${name}'s source; scripts/setup.sh fetches it")
  endif()
endfunction()

# libdeflate: only the CRC and what that needs.
dep_source(LIBDEFLATE_SOURCE_DIR libdeflate lib/crc32.c)
# Which release the tool is built with, for the benchmark's header.
file(STRINGS ${LIBDEFLATE_SOURCE_DIR}/libdeflate.h libdeflate_version REGEX "define LIBDEFLATE_VERSION_STRING")
string(REGEX MATCH "[0-9.]+" libdeflate_version "${libdeflate_version}")
file(WRITE ${CMAKE_BINARY_DIR}/libdeflate-version.txt "${libdeflate_version}\n")
add_library(deflate_crc STATIC
  ${LIBDEFLATE_SOURCE_DIR}/lib/crc32.c
  ${LIBDEFLATE_SOURCE_DIR}/lib/utils.c
  ${LIBDEFLATE_SOURCE_DIR}/lib/x86/cpu_features.c)
target_include_directories(deflate_crc PUBLIC ${LIBDEFLATE_SOURCE_DIR})
target_compile_options(deflate_crc PRIVATE -w)

# BLAKE3's official C code, with its SIMD kernels chosen at run time: the
# assembly files on x86-64 (the Unix or the Windows GNU flavour), the
# intrinsics files, each built for its instruction set, on 32-bit x86.
dep_source(BLAKE3_SOURCE_DIR blake3 c/blake3.c)
set(b3 ${BLAKE3_SOURCE_DIR}/c)
add_library(blake3 STATIC ${b3}/blake3.c ${b3}/blake3_dispatch.c ${b3}/blake3_portable.c)
target_include_directories(blake3 PUBLIC ${b3})
target_compile_options(blake3 PRIVATE -w)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  enable_language(ASM)
  set(flavour unix)
  if(WIN32)
    set(flavour windows_gnu)
  endif()
  foreach(kernel sse2 sse41 avx2 avx512)
    target_sources(blake3 PRIVATE ${b3}/blake3_${kernel}_x86-64_${flavour}.S)
  endforeach()
else()
  set(kernels "sse2|-msse2" "sse41|-msse4.1" "avx2|-mavx2" "avx512|-mavx512f -mavx512vl")
  foreach(kernel ${kernels})
    string(REPLACE "|" ";" kernel "${kernel}")
    list(GET kernel 0 name)
    list(GET kernel 1 flags)
    separate_arguments(flags)
    target_sources(blake3 PRIVATE ${b3}/blake3_${name}.c)
    set_source_files_properties(${b3}/blake3_${name}.c PROPERTIES COMPILE_OPTIONS "${flags}")
  endforeach()
endif()

# BLAKE3's tree on every core: its C code hands each pair of subtrees to one
# function, which blake3_tbb.cpp defines over oneTBB when BLAKE3_USE_TBB is
# set. The tool sets it and defines that function over its own threads
# (digests/blake3_join.cpp, over the pool of digests/subtree_pool.cpp);
# blake3_tbb.cpp and oneTBB are not built. The
# 1.3 release has no such function: there BLAKE3 is hashed by one thread.
# The join and the pool it shares through are built into the BLAKE3 library
# itself, which calls them (from an object library of their own, so that
# they keep the project's warnings).
file(STRINGS ${b3}/blake3_impl.h blake3_has_join REGEX "blake3_compress_subtree_wide_join_tbb")
if(blake3_has_join)
  target_compile_definitions(blake3 PUBLIC BLAKE3_USE_TBB)
endif()
add_library(blake3_join OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/digests/blake3_join.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/digests/subtree_pool.cpp)
target_include_directories(blake3_join PRIVATE ${b3})
if(blake3_has_join)
  target_compile_definitions(blake3_join PRIVATE BLAKE3_USE_TBB)
endif()
target_sources(blake3 PRIVATE $<TARGET_OBJECTS:blake3_join>)

# BLAKE2b from libb2, its portable code (what b2sum runs), without the
# autotools' config.h it asks for.
dep_source(LIBB2_SOURCE_DIR libb2 src/blake2b-ref.c)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/libb2/config.h "/* no settings: the portable code */\n")
add_library(blake2b STATIC ${LIBB2_SOURCE_DIR}/src/blake2b-ref.c)
target_include_directories(blake2b PUBLIC ${LIBB2_SOURCE_DIR}/src PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/libb2)
target_compile_definitions(blake2b PUBLIC SUFFIX= PRIVATE NATIVE_LITTLE_ENDIAN)
target_compile_options(blake2b PRIVATE -w)

# SHA-224 and SHA-3 from LibRHash, its portable code, for the systems
# whose own library lacks them (hasher.h).
dep_source(RHASH_SOURCE_DIR rhash librhash/sha3.c)
add_library(rhash_sha STATIC
  ${RHASH_SOURCE_DIR}/librhash/sha256.c ${RHASH_SOURCE_DIR}/librhash/sha3.c
  ${RHASH_SOURCE_DIR}/librhash/byte_order.c)
target_include_directories(rhash_sha SYSTEM PUBLIC ${RHASH_SOURCE_DIR}/librhash)
target_compile_options(rhash_sha PRIVATE -w)

# xxHash: one header, inlined where it is used.
dep_source(XXHASH_SOURCE_DIR xxhash xxhash.h)
add_library(xxhash INTERFACE)
target_include_directories(xxhash SYSTEM INTERFACE ${XXHASH_SOURCE_DIR})

# libsodium's Ed25519 verification and base64 (minisign, signify and SSH
# signatures), its portable code, from the few files verification needs.
# version.h is the one file its configure script would write; two
# functions of its library core, which verification never reaches, come
# from signatures/sodium_glue.c.
dep_source(SODIUM_SOURCE_DIR libsodium src/libsodium/crypto_sign/ed25519/ref10/open.c)
set(na ${SODIUM_SOURCE_DIR}/src/libsodium)
file(READ ${na}/include/sodium/version.h.in sodium_version)
string(REPLACE "@VERSION@" "1.0.18" sodium_version "${sodium_version}")
string(REPLACE "@SODIUM_LIBRARY_VERSION_MAJOR@" "10" sodium_version "${sodium_version}")
string(REPLACE "@SODIUM_LIBRARY_VERSION_MINOR@" "3" sodium_version "${sodium_version}")
string(REPLACE "@SODIUM_LIBRARY_MINIMAL_DEF@" "" sodium_version "${sodium_version}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/sodium/sodium/version.h "${sodium_version}")
add_library(sodium_verify STATIC
  ${na}/crypto_sign/ed25519/ref10/open.c ${na}/crypto_sign/ed25519/ref10/sign.c
  ${na}/crypto_core/ed25519/ref10/ed25519_ref10.c ${na}/crypto_hash/sha512/cp/hash_sha512_cp.c
  ${na}/crypto_verify/sodium/verify.c ${na}/sodium/codecs.c ${na}/sodium/utils.c
  ${CMAKE_CURRENT_SOURCE_DIR}/signatures/sodium_glue.c)
target_include_directories(sodium_verify
  PUBLIC ${na}/include ${CMAKE_CURRENT_BINARY_DIR}/sodium
  PRIVATE ${na}/include/sodium ${CMAKE_CURRENT_BINARY_DIR}/sodium/sodium)
target_compile_definitions(sodium_verify PUBLIC SODIUM_STATIC)
target_compile_options(sodium_verify PRIVATE -w)
