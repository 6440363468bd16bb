# Warnings and hardening for every target of the project.
add_compile_options(-Wall -Wextra -Wformat=2 -Werror=format-security -fstack-protector-strong)
add_compile_definitions(_GLIBCXX_ASSERTIONS)

if(WIN32)
  # Each binary carries its own C++ runtime, libgcc and winpthreads, so the DLLs import only Windows
  # system DLLs (a missing runtime DLL shows under Wine as exit code 53 and nothing else). Wide
  # Windows APIs throughout; nothing from the ANSI variants.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_link_options(-static -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat)
  if(NOT TESSALY_SANITIZE)
    add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  endif()
  return()
endif()

if(NOT TESSALY_SANITIZE)
  # _FORTIFY_SOURCE needs optimisation and clashes with the sanitizers' interceptors.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=3>)
endif()
add_link_options(-Wl,-z,relro -Wl,-z,now -Wl,-z,noexecstack)

if(TESSALY_SANITIZE)
  string(REPLACE ";" "," _san "${TESSALY_SANITIZE}")
  add_compile_options(-fsanitize=${_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_san})
  add_compile_definitions(TESSALY_SANITIZED=1)
endif()
