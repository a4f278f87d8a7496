# Monta a instalação de trabalho: EXE/ (programas, KOV.ini, Msgs.dat, figuras, ajuda, par de
# chaves), BD/ (a base, criada só quando não existe), backup/ e ENVIAX/ (o substituto do
# transmissor da administração, para demonstração).
file(MAKE_DIRECTORY ${DIST}/EXE ${DIST}/EXE/temp ${DIST}/BD ${DIST}/backup)
file(COPY_FILE ${KOV} ${DIST}/EXE/kov ONLY_IF_DIFFERENT)
file(COPY_FILE ${KOVCLI} ${DIST}/EXE/kov-cli ONLY_IF_DIFFERENT)
file(GLOB recursos ${FONTE}/recursos/EXE/*)
foreach(r IN LISTS recursos)
  get_filename_component(nome ${r} NAME)
  if(IS_DIRECTORY ${r})
    file(COPY ${r} DESTINATION ${DIST}/EXE)
  elseif(nome STREQUAL "KOV.ini" AND EXISTS ${DIST}/EXE/KOV.ini)
    # a configuração do usuário é preservada
  else()
    file(COPY_FILE ${r} ${DIST}/EXE/${nome} ONLY_IF_DIFFERENT)
  endif()
endforeach()
if(NOT EXISTS ${DIST}/BD/KOV.GDB)
  execute_process(COMMAND ${DIST}/EXE/kov-cli criar-base ${DIST}/BD/KOV.GDB RESULT_VARIABLE r)
  if(NOT r EQUAL 0)
    message(FATAL_ERROR "Falha ao criar a base ${DIST}/BD/KOV.GDB")
  endif()
endif()
# Par de chaves de desenvolvimento, gerado só quando a pasta não tem nenhuma das duas chaves:
# chaves postas ali à mão (as da administração numa instalação real) nunca são trocadas.
if(NOT EXISTS ${DIST}/EXE/PublicKey.dat AND NOT EXISTS ${DIST}/EXE/PrivateKey.dat)
  execute_process(COMMAND ${GERACHAVES} ${DIST}/EXE RESULT_VARIABLE r OUTPUT_QUIET)
  if(NOT r EQUAL 0)
    message(FATAL_ERROR "Falha ao gerar o par de chaves de desenvolvimento em ${DIST}/EXE")
  endif()
endif()
# O substituto do transmissor: o KOV.ini aponta para ele só quando o caminho ainda está vazio
# (uma instalação real aponta [ENVIAX] Caminho para o transmissor da administração).
file(MAKE_DIRECTORY ${DIST}/ENVIAX)
file(COPY_FILE ${ENVIAX} ${DIST}/ENVIAX/ENVIAX.EXE ONLY_IF_DIFFERENT)
file(READ ${DIST}/EXE/KOV.ini ini)
string(REGEX MATCH "\\[ENVIAX\\][^[]*Caminho[ \t]*=[ \t]*[^ \t\r\n]" caminhoPreenchido "${ini}")
if(NOT caminhoPreenchido)
  string(REGEX REPLACE "(\\[ENVIAX\\][^[]*Caminho[ \t]*=)[ \t]*" "\\1../ENVIAX" novo "${ini}")
  if(novo STREQUAL ini)
    set(novo "${ini}\r\n[ENVIAX]\r\nCaminho=../ENVIAX\r\n")
  endif()
  file(WRITE ${DIST}/EXE/KOV.ini "${novo}")
endif()
