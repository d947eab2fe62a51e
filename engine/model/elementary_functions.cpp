// Natural logarithm, exponential and sine from double-precision
// operations alone: exact splitting and summing of doubles (Dekker, Knuth)
// carry the parts of a result that a double cannot hold, small tables of
// logarithms and powers of two computed to 106 bits reduce the argument,
// and short series finish it.
#include "model/elementary_functions.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kelvo {

namespace {

// A value as the unevaluated sum hi + lo, |lo| at most half an ulp of hi.
struct Pair {
  double hi;
  double lo;
};

// a + b exactly, for any a and b.
constexpr Pair two_sum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// a as hi + lo with 26 significant bits in each, so that products of the
// halves are exact.
constexpr Pair split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a * b exactly (no overflow or underflow in the range used here).
Pair two_product(double a, double b) {
  const double p = a * b;
  const Pair x = split(a);
  const Pair y = split(b);
  return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

double from_bits(std::uint64_t b) { return std::bit_cast<double>(b); }
std::uint64_t to_bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// ln 2 as hi + lo; hi has 42 significant bits, so k * hi is exact for
// every binary exponent k of a double.
constexpr double k_ln2_hi = 0x1.62e42fefa38p-1;
constexpr double k_ln2_lo = 0x1.ef35793c7673p-45;

// Logarithm table. The argument's mantissa m, kept in [181/256, 181/128),
// is taken at the nearest point F of a grid: steps of 1/256 below 1 and of
// 1/128 from 1 on. Per point: 1/F rounded, and ln F as hi + lo.
struct LogPoint {
  double inverse;
  double log_hi;
  double log_lo;
};
constexpr int k_log_lower_points = 76;  // F = 181/256 .. 256/256
constexpr std::array<LogPoint, 130> k_log_points = {{
    {0x1.6a13cd153729p+0, -0x1.630030b3aac49p-2, -0x1.dc18ce51fff99p-57},  // 181/256
    {0x1.6816816816817p+0, -0x1.5d5bddf595f3p-2, 0x1.6541148cbb8a2p-56},  // 182/256
    {0x1.661ec6a5122f9p+0, -0x1.57bf753c8d1fbp-2, 0x1.0908d15f88b63p-57},  // 183/256
    {0x1.642c8590b2164p+0, -0x1.522ae0738a3d8p-2, 0x1.8f7e9b38a6979p-57},  // 184/256
    {0x1.623fa7701624p+0, -0x1.4c9e09e172c3cp-2, 0x1.123615b147a5dp-58},  // 185/256
    {0x1.6058160581606p+0, -0x1.4718dc271c41bp-2, -0x1.8fb4c14c56eefp-60},  // 186/256
    {0x1.5e75bb8d015e7p+0, -0x1.419b423d5e8c7p-2, -0x1.0dbb243827392p-57},  // 187/256
    {0x1.5c9882b931057p+0, -0x1.3c25277333184p-2, 0x1.2ad27e50a8ec6p-56},  // 188/256
    {0x1.5ac056b015acp+0, -0x1.36b6776be1117p-2, 0x1.324f0e883858ep-58},  // 189/256
    {0x1.58ed2308158edp+0, -0x1.314f1e1d35ce4p-2, 0x1.3d69909e5c3dcp-56},  // 190/256
    {0x1.571ed3c506b3ap+0, -0x1.2bef07cdc9354p-2, 0x1.82dad7fd86088p-56},  // 191/256
    {0x1.5555555555555p+0, -0x1.269621134db92p-2, -0x1.e0efadd9db02bp-56},  // 192/256
    {0x1.5390948f40febp+0, -0x1.214456d0eb8d4p-2, -0x1.f7ae91aeba60ap-57},  // 193/256
    {0x1.51d07eae2f815p+0, -0x1.1bf99635a6b95p-2, 0x1.12aeb84249223p-57},  // 194/256
    {0x1.5015015015015p+0, -0x1.16b5ccbacfb73p-2, -0x1.66fbd28b40935p-56},  // 195/256
    {0x1.4e5e0a72f0539p+0, -0x1.1178e8227e47cp-2, 0x1.0e63a5f01c691p-57},  // 196/256
    {0x1.4cab88725af6ep+0, -0x1.0c42d676162e3p-2, -0x1.162c79d5d11eep-58},  // 197/256
    {0x1.4afd6a052bf5bp+0, -0x1.07138604d5862p-2, -0x1.cdb16ed4e9138p-56},  // 198/256
    {0x1.49539e3b2d067p+0, -0x1.01eae5626c691p-2, 0x1.18290bd2932e2p-59},  // 199/256
    {0x1.47ae147ae147bp+0, -0x1.f991c6cb3b379p-3, -0x1.f665066f980a2p-57},  // 200/256
    {0x1.460cbc7f5cf9ap+0, -0x1.ef5ade4dcffe6p-3, 0x1.08ab2ddc708ap-58},  // 201/256
    {0x1.446f86562d9fbp+0, -0x1.e530effe71012p-3, -0x1.2276041f43042p-59},  // 202/256
    {0x1.42d6625d51f87p+0, -0x1.db13db0d4894p-3, -0x1.aa11d49f96cb9p-58},  // 203/256
    {0x1.4141414141414p+0, -0x1.d1037f2655e7bp-3, -0x1.60629242471a2p-57},  // 204/256
    {0x1.3fb013fb013fbp+0, -0x1.c6ffbc6f00f71p-3, 0x1.8e58b2c57a4a5p-57},  // 205/256
    {0x1.3e22cbce4a902p+0, -0x1.bd087383bd8adp-3, -0x1.dd355f6a516d7p-60},  // 206/256
    {0x1.3c995a47babe7p+0, -0x1.b31d8575bce3dp-3, 0x1.6353ab386a94dp-57},  // 207/256
    {0x1.3b13b13b13b14p+0, -0x1.a93ed3c8ad9e3p-3, -0x1.bcafa9de97203p-57},  // 208/256
    {0x1.3991c2c187f63p+0, -0x1.9f6c407089664p-3, -0x1.35a19605e67efp-59},  // 209/256
    {0x1.3813813813814p+0, -0x1.95a5adcf7017fp-3, -0x1.142c507fb7a3dp-58},  // 210/256
    {0x1.3698df3de0748p+0, -0x1.8beafeb38fe8cp-3, -0x1.55aa8b6997a4p-58},  // 211/256
    {0x1.3521cfb2b78c1p+0, -0x1.823c16551a3c2p-3, 0x1.1232ce70be781p-57},  // 212/256
    {0x1.33ae45b57bcb2p+0, -0x1.7898d85444c73p-3, -0x1.ef8f6ebcfb201p-58},  // 213/256
    {0x1.323e34a2b10bfp+0, -0x1.6f0128b756abcp-3, 0x1.8de59c21e166cp-57},  // 214/256
    {0x1.30d190130d19p+0, -0x1.6574ebe8c133ap-3, 0x1.d34f0f4621bedp-60},  // 215/256
    {0x1.2f684bda12f68p+0, -0x1.5bf406b543db2p-3, 0x1.1f5b44c0df7e7p-61},  // 216/256
    {0x1.2e025c04b8097p+0, -0x1.527e5e4a1b58dp-3, 0x1.71a9682395bfdp-61},  // 217/256
    {0x1.2c9fb4d812cap+0, -0x1.4913d8333b561p-3, 0x1.0d5604930f135p-58},  // 218/256
    {0x1.2b404ad012b4p+0, -0x1.3fb45a59928ccp-3, 0x1.d87e6a354d056p-57},  // 219/256
    {0x1.29e4129e4129ep+0, -0x1.365fcb0159016p-3, -0x1.7d411a5b944adp-58},  // 220/256
    {0x1.288b01288b013p+0, -0x1.2d1610c86813ap-3, 0x1.499a3f25af95fp-58},  // 221/256
    {0x1.27350b8812735p+0, -0x1.23d712a49c202p-3, 0x1.6e38161051d69p-57},  // 222/256
    {0x1.25e22708092f1p+0, -0x1.1aa2b7e23f72ap-3, 0x1.c6ef1d9b2ef7ep-59},  // 223/256
    {0x1.2492492492492p+0, -0x1.1178e8227e47cp-3, 0x1.0e63a5f01c691p-58},  // 224/256
    {0x1.23456789abcdfp+0, -0x1.08598b59e3a07p-3, 0x1.dd7009902bf32p-57},  // 225/256
    {0x1.21fb78121fb78p+0, -0x1.fe89139dbd566p-4, 0x1.ac9f4215f9393p-58},  // 226/256
    {0x1.20b470c67c0d9p+0, -0x1.ec739830a112p-4, 0x1.a2bf991780d3fp-59},  // 227/256
    {0x1.1f7047dc11f7p+0, -0x1.da727638446a2p-4, -0x1.401fa71733019p-58},  // 228/256
    {0x1.1e2ef3b3fb874p+0, -0x1.c885801bc4b23p-4, -0x1.a38cb559a6706p-58},  // 229/256
    {0x1.1cf06ada2811dp+0, -0x1.b6ac88dad5b1cp-4, 0x1.0057eed1ca59fp-59},  // 230/256
    {0x1.1bb4a4046ed29p+0, -0x1.a4e7640b1bc38p-4, 0x1.5b5ca203e4259p-58},  // 231/256
    {0x1.1a7b9611a7b96p+0, -0x1.9335e5d594989p-4, 0x1.478a85704ccb7p-58},  // 232/256
    {0x1.19453808ca29cp+0, -0x1.8197e2f40e3fp-4, -0x1.b9f2dffbeed43p-60},  // 233/256
    {0x1.1811811811812p+0, -0x1.700d30aeac0e1p-4, 0x1.72566212cdd05p-61},  // 234/256
    {0x1.16e0689427379p+0, -0x1.5e95a4d9791cbp-4, -0x1.f38745c5c450ap-58},  // 235/256
    {0x1.15b1e5f75270dp+0, -0x1.4d3115d207eacp-4, -0x1.769f42c7842ccp-58},  // 236/256
    {0x1.1485f0e0acd3bp+0, -0x1.3bdf5a7d1ee64p-4, -0x1.7a976d3b5b45fp-59},  // 237/256
    {0x1.135c81135c811p+0, -0x1.2aa04a44717a5p-4, 0x1.d15d38d2fa3f7p-58},  // 238/256
    {0x1.12358e75d3033p+0, -0x1.1973bd1465567p-4, 0x1.7558367a6acf6p-59},  // 239/256
    {0x1.1111111111111p+0, -0x1.08598b59e3a07p-4, 0x1.dd7009902bf32p-58},  // 240/256
    {0x1.0fef010fef011p+0, -0x1.eea31c006b87cp-5, 0x1.3e4fc93b7b66cp-59},  // 241/256
    {0x1.0ecf56be69c9p+0, -0x1.ccb73cdddb2ccp-5, 0x1.e48fb0500efd4p-59},  // 242/256
    {0x1.0db20a88f4696p+0, -0x1.aaef2d0fb10fcp-5, -0x1.a353bb42e0addp-61},  // 243/256
    {0x1.0c9714fbcda3bp+0, -0x1.894aa149fb343p-5, -0x1.a8be97660a23dp-60},  // 244/256
    {0x1.0b7e6ec259dc8p+0, -0x1.67c94f2d4bb58p-5, -0x1.0413e6505e603p-59},  // 245/256
    {0x1.0a6810a6810a7p+0, -0x1.466aed42de3eap-5, 0x1.cdd6f7f4a137ep-59},  // 246/256
    {0x1.0953f39010954p+0, -0x1.252f32f8d183fp-5, 0x1.947f792615916p-59},  // 247/256
    {0x1.0842108421084p+0, -0x1.0415d89e74444p-5, -0x1.c05cf1d753622p-59},  // 248/256
    {0x1.073260a47f7c6p+0, -0x1.c63d2ec14aaf2p-6, 0x1.ce030a686bd86p-60},  // 249/256
    {0x1.0624dd2f1a9fcp+0, -0x1.8492528c8cabfp-6, 0x1.d192d0619fa67p-60},  // 250/256
    {0x1.05197f7d73404p+0, -0x1.432a925980cc1p-6, 0x1.8cdaf39004192p-60},  // 251/256
    {0x1.041041041041p+0, -0x1.0205658935847p-6, -0x1.27c8e8416e71fp-60},  // 252/256
    {0x1.03091b51f5e1ap+0, -0x1.82448a388a2aap-7, -0x1.04b16137f09ap-62},  // 253/256
    {0x1.0204081020408p+0, -0x1.010157588de71p-7, -0x1.46662d417cedp-62},  // 254/256
    {0x1.010101010101p+0, -0x1.0080559588b35p-8, -0x1.f96638cf63677p-62},  // 255/256
    {0x1p+0, 0x0p+0, 0x0p+0},  // 256/256
    {0x1p+0, 0x0p+0, 0x0p+0},  // 128/128
    {0x1.fc07f01fc07fp-1, 0x1.fe02a6b106789p-8, -0x1.e44b7e3711ebfp-67},  // 129/128
    {0x1.f81f81f81f82p-1, 0x1.fc0a8b0fc03e4p-7, -0x1.83092c59642a1p-62},  // 130/128
    {0x1.f44659e4a4271p-1, 0x1.7b91b07d5b11bp-6, -0x1.5b602ace3a51p-60},  // 131/128
    {0x1.f07c1f07c1f08p-1, 0x1.f829b0e7833p-6, 0x1.33e3f04f1ef23p-60},  // 132/128
    {0x1.ecc07b301eccp-1, 0x1.39e87b9febd6p-5, -0x1.5bfa937f551bbp-59},  // 133/128
    {0x1.e9131abf0b767p-1, 0x1.77458f632dcfcp-5, 0x1.18d3ca87b9296p-59},  // 134/128
    {0x1.e573ac901e574p-1, 0x1.b42dd711971bfp-5, -0x1.eb9759c130499p-60},  // 135/128
    {0x1.e1e1e1e1e1e1ep-1, 0x1.f0a30c01162a6p-5, 0x1.85f325c5bbacdp-59},  // 136/128
    {0x1.de5d6e3f8868ap-1, 0x1.16536eea37ae1p-4, -0x1.79da3e8c22cdap-60},  // 137/128
    {0x1.dae6076b981dbp-1, 0x1.341d7961bd1d1p-4, -0x1.b599f227becbbp-58},  // 138/128
    {0x1.d77b654b82c34p-1, 0x1.51b073f06183fp-4, 0x1.a49e39a1a8be4p-58},  // 139/128
    {0x1.d41d41d41d41dp-1, 0x1.6f0d28ae56b4cp-4, -0x1.906d99184b992p-58},  // 140/128
    {0x1.d0cb58f6ec074p-1, 0x1.8c345d6319b21p-4, -0x1.4a697ab3424a9p-61},  // 141/128
    {0x1.cd85689039b0bp-1, 0x1.a926d3a4ad563p-4, 0x1.942f48aa70ea9p-58},  // 142/128
    {0x1.ca4b3055ee191p-1, 0x1.c5e548f5bc743p-4, 0x1.5d617ef8161b1p-60},  // 143/128
    {0x1.c71c71c71c71cp-1, 0x1.e27076e2af2e6p-4, -0x1.61578001e0162p-60},  // 144/128
    {0x1.c3f8f01c3f8fp-1, 0x1.fec9131dbeabbp-4, -0x1.5746b9981b36cp-58},  // 145/128
    {0x1.c0e070381c0ep-1, 0x1.0d77e7cd08e59p-3, 0x1.9a5dc5e9030acp-57},  // 146/128
    {0x1.bdd2b899406f7p-1, 0x1.1b72ad52f67ap-3, 0x1.483023472cd74p-58},  // 147/128
    {0x1.bacf914c1badp-1, 0x1.29552f81ff523p-3, 0x1.301771c407dbfp-57},  // 148/128
    {0x1.b7d6c3dda338bp-1, 0x1.371fc201e8f74p-3, 0x1.de6cb62af18ap-58},  // 149/128
    {0x1.b4e81b4e81b4fp-1, 0x1.44d2b6ccb7d1ep-3, 0x1.9f4f6543e1f88p-57},  // 150/128
    {0x1.b2036406c80d9p-1, 0x1.526e5e3a1b438p-3, -0x1.746ff8a470d3ap-57},  // 151/128
    {0x1.af286bca1af28p-1, 0x1.5ff3070a793d4p-3, -0x1.bc60efafc6f6ep-58},  // 152/128
    {0x1.ac5701ac5701bp-1, 0x1.6d60fe719d21dp-3, -0x1.caae268ecd179p-57},  // 153/128
    {0x1.a98ef606a63bep-1, 0x1.7ab890210d909p-3, 0x1.be36b2d6a0608p-59},  // 154/128
    {0x1.a6d01a6d01a6dp-1, 0x1.87fa06520c911p-3, -0x1.bf7fdbfa08d9ap-57},  // 155/128
    {0x1.a41a41a41a41ap-1, 0x1.9525a9cf456b4p-3, 0x1.d904c1d4e2e26p-57},  // 156/128
    {0x1.a16d3f97a4b02p-1, 0x1.a23bc1fe2b563p-3, 0x1.93711b07a998cp-59},  // 157/128
    {0x1.9ec8e951033d9p-1, 0x1.af3c94e80bff3p-3, -0x1.398cff3641985p-58},  // 158/128
    {0x1.9c2d14ee4a102p-1, 0x1.bc286742d8cd6p-3, 0x1.4fce744870f55p-58},  // 159/128
    {0x1.999999999999ap-1, 0x1.c8ff7c79a9a22p-3, -0x1.4f689f8434012p-57},  // 160/128
    {0x1.970e4f80cb872p-1, 0x1.d5c216b4fbb91p-3, 0x1.6e443597e4d4p-57},  // 161/128
    {0x1.948b0fcd6e9ep-1, 0x1.e27076e2af2e6p-3, -0x1.61578001e0162p-59},  // 162/128
    {0x1.920fb49d0e229p-1, 0x1.ef0adcbdc5936p-3, 0x1.48637950dc20dp-57},  // 163/128
    {0x1.8f9c18f9c18fap-1, 0x1.fb9186d5e3e2bp-3, -0x1.caaae64f21acbp-57},  // 164/128
    {0x1.8d3018d3018d3p-1, 0x1.0402594b4d041p-2, -0x1.28ec217a5022dp-57},  // 165/128
    {0x1.8acb90f6bf3aap-1, 0x1.0a324e27390e3p-2, 0x1.7dcfde8061c03p-56},  // 166/128
    {0x1.886e5f0abb04ap-1, 0x1.1058bf9ae4ad5p-2, 0x1.89fa0ab4cb31dp-58},  // 167/128
    {0x1.8618618618618p-1, 0x1.1675cababa60ep-2, 0x1.ce63eab883717p-61},  // 168/128
    {0x1.83c977ab2beddp-1, 0x1.1c898c16999fbp-2, -0x1.0e5c62aff1c44p-60},  // 169/128
    {0x1.8181818181818p-1, 0x1.22941fbcf7966p-2, -0x1.76f5eb09628afp-56},  // 170/128
    {0x1.7f405fd017f4p-1, 0x1.2895a13de86a3p-2, 0x1.7ad24c13f040ep-56},  // 171/128
    {0x1.7d05f417d05f4p-1, 0x1.2e8e2bae11d31p-2, -0x1.8f4cdb95ebdf9p-56},  // 172/128
    {0x1.7ad2208e0ecc3p-1, 0x1.347dd9a987d55p-2, -0x1.4dd4c580919f8p-57},  // 173/128
    {0x1.78a4c8178a4c8p-1, 0x1.3a64c556945eap-2, -0x1.c68651945f97cp-57},  // 174/128
    {0x1.767dce434a9b1p-1, 0x1.404308686a7e4p-2, -0x1.0bcfb6082ce6dp-56},  // 175/128
    {0x1.745d1745d1746p-1, 0x1.4618bc21c5ec2p-2, 0x1.f42decdeccf1dp-56},  // 176/128
    {0x1.724287f46debcp-1, 0x1.4be5f957778a1p-2, -0x1.259b35b04813dp-57},  // 177/128
    {0x1.702e05c0b817p-1, 0x1.51aad872df82dp-2, 0x1.3927ac19f55e3p-59},  // 178/128
    {0x1.6e1f76b4337c7p-1, 0x1.5767717455a6cp-2, 0x1.526adb283660cp-56},  // 179/128
    {0x1.6c16c16c16c17p-1, 0x1.5d1bdbf5809cap-2, 0x1.4236383dc7fe1p-56},  // 180/128
    {0x1.6a13cd153729p-1, 0x1.62c82f2b9c795p-2, 0x1.7b7af915300e5p-57},  // 181/128
}};

// The logarithm table for an argument of at most 24 significant bits
// (log_of_real4): per point F, c = 1/F to 26 bits, so that m c and F c are
// exact, and ln F - ln(F c) as hi + lo (the hi of ln F; ln(1 + d) for
// d = F c - 1, |d| < 2^-25, to d^2, whose next term lies below 2^-78).
struct ShortLogPoint {
  double c;
  double log_hi;
  double log_lo;
};
constexpr std::array<ShortLogPoint, k_log_points.size()> short_log_points() {
  std::array<ShortLogPoint, k_log_points.size()> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const LogPoint& p = k_log_points[i];
    // F from its row: t/256 for the first k_log_lower_points, t/128 after.
    const double f = i < k_log_lower_points ? (181.0 + static_cast<double>(i)) / 256.0
                                            : (128.0 + static_cast<double>(i - k_log_lower_points)) / 128.0;
    const double c = split(p.inverse).hi;
    const double d = f * c - 1.0;
    rows[i] = {c, p.log_hi, p.log_lo - (d - 0.5 * d * d)};
  }
  return rows;
}
constexpr auto k_short_log_points = short_log_points();

// ln(1 + r) - r + r^2/2 for |r| <= 2^-8, to far below an ulp of ln(1 + r):
// the terms r^3/3 .. r^9/9 of the series, in Horner's order (a chain of
// dependent operations, the order that decides the logarithm's bits).
double log1p_tail(double r) {
  const double c = 0x1.5555555555555p-2 +
                   r * (-0x1p-2 + r * (0x1.999999999999ap-3 +
                   r * (-0x1.5555555555555p-3 + r * (0x1.2492492492492p-3 +
                   r * (-0x1p-3 + r * 0x1.c71c71c71c71cp-4)))));
  return r * r * r * c;
}

// The same terms in Estrin's order: short chains side by side instead of
// one long one. The result differs from Horner's by at most a few
// roundings of the tail; log_real8 takes it only where that cannot
// change its own result.
double log1p_tail_estrin(double r) {
  const double r2 = r * r;
  const double r4 = r2 * r2;
  const double c01 = 0x1.5555555555555p-2 + r * -0x1p-2;
  const double c23 = 0x1.999999999999ap-3 + r * -0x1.5555555555555p-3;
  const double c45 = 0x1.2492492492492p-3 + r * -0x1p-3;
  const double c = (c01 + r2 * c23) + r4 * (c45 + r2 * 0x1.c71c71c71c71cp-4);
  return r2 * r * c;
}

// 2^(j/32), j = 0 .. 31, as hi + lo.
constexpr std::array<Pair, 32> k_exp2_points = {{
    {0x1p+0, 0x0p+0},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80dp-59},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.9c49182a3f09p+0, 0x1.c7c46b071f2bep-56},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.f50765b6e454p+0, 0x1.9d3e12dd8a18bp-54},
}};

// ln 2 / 32 as hi + lo; hi has 40 significant bits, so k * hi is exact for
// every k the single-precision exponential meets.
constexpr double k_ln2_32_hi = 0x1.62e42fefa4p-6;
constexpr double k_ln2_32_lo = -0x1.8432a1b0e2634p-48;
constexpr double k_inv_ln2_32 = 0x1.71547652b82fep+5;

// 2/pi to 256 bits, 32 bits a word, most significant first; word 0 stands
// for the bits before the binary point (none), so that a window may start
// left of it. The largest float needs bits up to the 230th.
constexpr std::array<std::uint32_t, 9> k_two_over_pi = {
    0x00000000, 0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0,
    0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561};
constexpr Pair k_pi_over_2 = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr double k_pi_over_4 = 0x1.921fb54442d18p-1;

// sin r and cos r for |r| <= pi/4: the Taylor series to the terms r^19
// and r^20, whose next terms lie below 2^-60 of the result.
double sin_kernel(double r) {
  const double z = r * r;
  const double c = -0x1.5555555555555p-3 +
                   z * (0x1.1111111111111p-7 +
                   z * (-0x1.a01a01a01a01ap-13 +
                   z * (0x1.71de3a556c734p-19 +
                   z * (-0x1.ae64567f544e4p-26 +
                   z * (0x1.6124613a86d09p-33 +
                   z * (-0x1.ae7f3e733b81fp-41 +
                   z * (0x1.952c77030ad4ap-49 +
                   z * -0x1.2f49b46814157p-57)))))));
  return r + r * z * c;
}

double cos_kernel(double r) {
  const double z = r * r;
  return 1.0 + z * (-0x1p-1 +
               z * (0x1.5555555555555p-5 +
               z * (-0x1.6c16c16c16c17p-10 +
               z * (0x1.a01a01a01a01ap-16 +
               z * (-0x1.27e4fb7789f5cp-22 +
               z * (0x1.1eed8eff8d898p-29 +
               z * (-0x1.93974a8c07c9dp-37 +
               z * (0x1.ae7f3e733b81fp-45 +
               z * (-0x1.6827863b97d97p-53 +
               z * 0x1.e542ba4020225p-62)))))))));
}

}  // namespace

real8 log_real8(real8 x) {
  if (!(x > 0.0)) {
    if (x == 0.0) return -std::numeric_limits<double>::infinity();
    return std::numeric_limits<double>::quiet_NaN();  // negative or NaN
  }
  if (x == std::numeric_limits<double>::infinity()) return x;
  std::uint64_t bits = to_bits(x);
  int k = 0;
  if (bits < (std::uint64_t{1} << 52)) {  // subnormal: scale into the normal range
    bits = to_bits(x * 0x1p54);
    k = -54;
  }
  // The mantissa m, in [1, 2) from the bits; from 181/128 on it is halved
  // (one more binary exponent), so that ln m stays small and ln x never
  // cancels. The grid point F nearest m is t/256 below 1 and t/128 from 1
  // on, and t is the same integer in both: the mantissa's first seven
  // fraction bits, plus one when the eighth is set. Every choice is made
  // on the bits, without branches, whose outcome the arguments of a
  // random variate would make unpredictable.
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t top = fraction >> 44;             // first eight fraction bits
  const int halved = static_cast<int>(top >= 106);      // mantissa >= 181/128
  k += static_cast<int>(bits >> 52) - 1023 + halved;
  const double m = from_bits(fraction | (static_cast<std::uint64_t>(1023 - halved) << 52));
  const int t = 128 + static_cast<int>((top + 1) >> 1);
  // Points 181/256 .. 256/256 come first in the table, 128/128 .. 181/128 after.
  const int i = t + (k_log_lower_points - 128) - halved * (k_log_lower_points - 128 + 181);
  const double f_point = t * from_bits(static_cast<std::uint64_t>(1023 - 7 - halved) << 52);
  const LogPoint& p = k_log_points[static_cast<std::size_t>(i)];
  // r = (m - F) / F as rhi + rlo. m - F is exact (both near 1); so is the
  // remainder f - rhi * F, F having at most 9 significant bits.
  const double f = m - f_point;
  const double rhi = f * p.inverse;
  const Pair rs = split(rhi);
  const double rlo = ((f - rs.hi * f_point) - rs.lo * f_point) * p.inverse;
  // ln(1 + r) = r - r^2/2 + tail; r^2 exactly.
  const Pair sq = two_product(rhi, rhi);
  const Pair head = two_sum(rhi, -0.5 * sq.hi);
  const double near = rlo - 0.5 * sq.lo - rhi * rlo;
  // k ln 2 + ln F.
  const Pair a = two_sum(k * k_ln2_hi, p.log_hi);
  const double a_lo = a.lo + (k * k_ln2_lo + p.log_lo);
  const Pair s = two_sum(a.hi, head.hi);
  // The result is s.hi + low rounded once, low the sum of the small parts
  // in a chain, the tail in Horner's order. With the tail in Estrin's
  // order and the parts summed as a tree, low moves by less than
  // 2^-65 |s.hi|: the parts, the tail and every partial sum lie below
  // 2^-16 |s.hi|, and the two ways differ by a few roundings of those.
  // Rounding is monotonic: when s.hi + low rounds to the same double
  // 2^-62 |s.hi| either side, so does every low in between, the chained
  // Horner one too. Otherwise (about one argument in 350) the chain and
  // the Horner order themselves.
  const double low = (s.lo + (head.lo + a_lo)) + (near + log1p_tail_estrin(rhi));
  const double eps = std::fabs(s.hi) * 0x1p-62;
  const double y = s.hi + low;
  if (s.hi + (low + eps) == s.hi + (low - eps)) return y;
  return s.hi + (s.lo + (head.lo + (a_lo + (near + log1p_tail(rhi)))));
}

real8 log_of_real4(real4 x) {
  // A normal positive float here; zero, subnormals, negatives, infinity
  // and NaN as log_real8 takes them.
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(x);
  if (bits - 0x00800000u >= 0x7f000000u) return log_real8(x);
  // The mantissa m, the grid point F and the table row as log_real8 takes
  // them, from the float's bits: its first eight fraction bits, m halved
  // from 181/128 on.
  const std::uint32_t fraction = bits & 0x7fffffu;
  const std::uint32_t top = fraction >> 15;
  const int halved = static_cast<int>(top >= 106);
  const int k = static_cast<int>(bits >> 23) - 127 + halved;
  const double m = from_bits((static_cast<std::uint64_t>(fraction) << 29) |
                             (static_cast<std::uint64_t>(1023 - halved) << 52));
  const int t = 128 + static_cast<int>((top + 1) >> 1);
  const int i = t + (k_log_lower_points - 128) - halved * (k_log_lower_points - 128 + 181);
  const ShortLogPoint& p = k_short_log_points[static_cast<std::size_t>(i)];
  // m has at most 24 significant bits, c 26: m c is exact, and so is
  // r = m c - 1 (m c lies near 1). ln x = k ln 2 + ln(1/c) + ln(1 + r).
  const double r = m * p.c - 1.0;
  const Pair a = two_sum(k * k_ln2_hi, p.log_hi);
  const Pair s = two_sum(a.hi, r);
  // ln(1 + r) - r to the term r^9 (|r| < 2^-8), as four pairs of terms
  // beside one another, so that the result waits on few operations after r.
  const double r2 = r * r;
  const double r4 = r2 * r2;
  const double c23 = -0x1p-1 + r * 0x1.5555555555555p-2;
  const double c45 = -0x1p-2 + r * 0x1.999999999999ap-3;
  const double c67 = -0x1.5555555555555p-3 + r * 0x1.2492492492492p-3;
  const double c89 = -0x1p-3 + r * 0x1.c71c71c71c71cp-4;
  const double tail = (r2 * c23 + r4 * c45) + ((r2 * r4) * c67 + (r4 * r4) * c89);
  const double low = tail + ((a.lo + s.lo) + (k * k_ln2_lo + p.log_lo));
  // The sum lies within about 2^-61 of it of ln x (the roundings of the
  // tail weigh most), so where it rounds to the same double 2^-59 of it
  // either side, ln x lies more than 2^-60 of it from the middle between
  // two doubles: that double is the correctly rounded logarithm, which
  // log_real8 gives there too. Elsewhere (about one argument in forty)
  // log_real8 itself. Every positive float has been run through both.
  const double eps = std::fabs(s.hi) * 0x1p-59;
  if (s.hi + (low + eps) == s.hi + (low - eps)) return s.hi + low;
  return log_real8(x);
}

real4 log_real4(real4 x) { return static_cast<real4>(log_of_real4(x)); }

real4 exp_real4(real4 x) {
  if (x != x) return x;
  if (x > 89.0f) return std::numeric_limits<real4>::infinity();
  if (x < -104.0f) return 0.0f;
  // x = k ln2/32 + r, |r| <= ln2/64; x - k * hi is exact.
  const double xd = x;
  const double z = xd * k_inv_ln2_32;
  const int k = static_cast<int>(z < 0.0 ? z - 0.5 : z + 0.5);
  const double r = (xd - k * k_ln2_32_hi) - k * k_ln2_32_lo;
  // e^r - 1 to the term r^7 (the next lies below 2^-60).
  const double q = r * (1.0 + r * (0x1p-1 + r * (0x1.5555555555555p-3 + r * (0x1.5555555555555p-5 +
                   r * (0x1.1111111111111p-7 + r * (0x1.6c16c16c16c17p-10 + r * 0x1.a01a01a01a01ap-13))))));
  const Pair& t = k_exp2_points[static_cast<std::size_t>(k & 31)];
  const double v = t.hi + (t.lo + t.hi * q);
  // 2^(k div 32): k >= -4801 keeps the exponent in the normal range.
  const int e = (k - (k & 31)) / 32;
  const double scale = from_bits(static_cast<std::uint64_t>(e + 1023) << 52);
  return static_cast<real4>(v * scale);
}

real4 sin_real4(real4 x) {
  if (!(x - x == 0.0f)) return x - x;  // infinity or NaN
  const bool negative = std::signbit(x);
  const double ax = negative ? -static_cast<double>(x) : static_cast<double>(x);
  double r = ax;
  unsigned quadrant = 0;
  if (ax > k_pi_over_4) {
    // ax * 2/pi = n + f exactly enough: ax = m 2^e with a 24-bit integer m;
    // the bits of 2/pi whose products with m are multiples of 4 are left
    // out, the next 128 bits multiply m in 32-bit limbs.
    const std::uint32_t fbits = std::bit_cast<std::uint32_t>(std::abs(x));
    const int e = static_cast<int>(fbits >> 23) - 150;  // ax = m * 2^e
    const std::uint64_t m = (fbits & 0x7fffff) | 0x800000;
    // Bits s .. s + 127 of 2/pi (bit 1 is the first after the point),
    // s = e - 1; then ax * 2/pi mod 4 = m * window * 2^-126.
    const int u = e - 1 + 31;  // position of bit s counted from word 0's first bit
    const int w = u / 32;
    const int o = u % 32;
    std::array<std::uint64_t, 4> win{};
    for (int j = 0; j < 4; ++j) {
      const std::uint32_t a = k_two_over_pi[static_cast<std::size_t>(w + j)];
      const std::uint32_t b = k_two_over_pi[static_cast<std::size_t>(w + j + 1)];
      win[static_cast<std::size_t>(j)] = o == 0 ? a : static_cast<std::uint32_t>((a << o) | (b >> (32 - o)));
    }
    // z = m * window in five 32-bit limbs, z[0] most significant.
    std::array<std::uint32_t, 5> z{};
    std::uint64_t carry = 0;
    for (int j = 3; j >= 0; --j) {
      const std::uint64_t pj = m * win[static_cast<std::size_t>(j)] + carry;
      z[static_cast<std::size_t>(j + 1)] = static_cast<std::uint32_t>(pj);
      carry = pj >> 32;
    }
    z[0] = static_cast<std::uint32_t>(carry);
    // ax * 2/pi = z * 2^-126: two bits up, the point falls after z[0].
    for (int j = 0; j < 4; ++j) z[static_cast<std::size_t>(j)] = (z[static_cast<std::size_t>(j)] << 2) | (z[static_cast<std::size_t>(j + 1)] >> 30);
    z[4] <<= 2;
    quadrant = z[0] & 3;
    // The fraction z[1..4] / 2^128, taken to the nearest quadrant: a
    // fraction of one half or more counts from the next quadrant down.
    bool below = false;
    if (z[1] & 0x80000000u) {
      ++quadrant;
      below = true;
      std::uint64_t borrow = 1;  // two's complement of the fraction
      for (int j = 4; j >= 1; --j) {
        const std::uint64_t v = static_cast<std::uint64_t>(static_cast<std::uint32_t>(~z[static_cast<std::size_t>(j)])) + borrow;
        z[static_cast<std::size_t>(j)] = static_cast<std::uint32_t>(v);
        borrow = v >> 32;
      }
    }
    const Pair f12 = two_sum(z[1] * 0x1p-32, z[2] * 0x1p-64);
    const double f_lo = f12.lo + (z[3] * 0x1p-96 + z[4] * 0x1p-128);
    const Pair fr = two_sum(f12.hi, f_lo);
    // r = f * pi/2.
    const Pair pr = two_product(fr.hi, k_pi_over_2.hi);
    r = pr.hi + (pr.lo + (fr.hi * k_pi_over_2.lo + fr.lo * k_pi_over_2.hi));
    if (below) r = -r;
  }
  double v = quadrant & 1 ? cos_kernel(r) : sin_kernel(r);
  if (quadrant & 2) v = -v;
  return static_cast<real4>(negative ? -v : v);
}

}  // namespace kelvo
