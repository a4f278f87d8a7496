#pragma once
// O recibo em texto de uma declaração: período, contribuinte, totais da PRELO, figuras do
// KOV, outras entradas por município e os dois avisos legais. É guardado byte a byte em
// TRANSMISSAO.RECIBO, em Windows-1252, cada linha terminada por CR LF.
#include <map>
#include <string>
#include <vector>

#include "data/Declaracao.h"

namespace kov {

// As linhas do recibo (em UTF-8, sem o fim de linha). 'nomesMunicipios' dá o nome de cada
// CODDRUMUNICIPIO das outras entradas; as linhas dos municípios saem em ordem de nome.
std::vector<std::string> LinhasReciboTexto(const Declaracao& d, const std::map<int, std::string>& nomesMunicipios);

// O texto para a coluna RECIBO: as linhas em Windows-1252, cada uma com CR LF.
std::string GerarReciboTexto(const Declaracao& d, const std::map<int, std::string>& nomesMunicipios);

// Converte texto UTF-8 para Windows-1252. Um caractere sem lugar nesse conjunto vira '?'
// (um por caractere, as colunas do recibo mantêm a largura): o recibo é uma cópia derivada
// da declaração, cujos dados ficam intactos, e os textos vindos da base (colunas em
// WIN1252) sempre cabem nele. Sem a conversão disponível, lança ErroSistema.
std::string ParaWindows1252(const std::string& utf8);

}  // namespace kov
