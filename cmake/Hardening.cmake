# Warnings and hardening for every target of the project.
add_compile_options(-Wall -Wextra -Wformat=2 -Werror=format-security -fstack-protector-strong)
add_compile_definitions(_GLIBCXX_ASSERTIONS)
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
