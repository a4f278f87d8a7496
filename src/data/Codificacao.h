#pragma once
// Conversão de texto entre codificações nas bordas do programa (o programa trabalha em
// UTF-8; o recibo é Windows-1252, os CSV do CNAE podem vir em Windows-1252).
#include <string>

namespace kov {

// Converte 'texto' da codificação 'de' para 'para' (nomes do iconv). Cada caractere que não
// existe no destino, e cada byte inválido na origem, vira um '?' — um por caractere, para
// que textos de largura fixa mantenham as colunas. Lança ErroSistema quando a conversão
// não está disponível: devolver o texto sem converter quebraria em silêncio os bytes que
// quem chama promete.
std::string ConverterTexto(const std::string& texto, const char* de, const char* para);

// Verdadeiro quando o texto é UTF-8 bem formado.
bool Utf8Valido(const std::string& texto);

}  // namespace kov
