// The AVX2 row drawers: eight rows at a time; chosen at run time on processors that have AVX2.
#include "render3d/rowsimpl.h"

#include <immintrin.h>

namespace tarvo
{

namespace
{

struct Avx2 {
    static constexpr int kLanes = 8;
    using F = __m256;

    using I = __m256i;

    static F splatF(float a) { return _mm256_set1_ps(a); }
    static F loadF(const float* p) { return _mm256_loadu_ps(p); }
    static void storeF(float* p, F a) { _mm256_storeu_ps(p, a); }
    static I load(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
    static I load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
    static void store(uint32_t* p, I a) { _mm256_storeu_si256(reinterpret_cast<I*>(p), a); }
    static I splat(uint32_t a) { return _mm256_set1_epi32(static_cast<int32_t>(a)); }
    // Lane j: base + j * step, wrapping.
    static I ramp(uint32_t base, uint32_t step)
    {
        return _mm256_add_epi32(splat(base),
                                mullo(splat(step), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    }
    static I add(I a, I b) { return _mm256_add_epi32(a, b); }
    static I sub(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I and_(I a, I b) { return _mm256_and_si256(a, b); }
    static I or_(I a, I b) { return _mm256_or_si256(a, b); }
    template <int N>
    static I srl(I a)
    {
        return _mm256_srli_epi32(a, N);
    }
    template <int N>
    static I sra(I a)
    {
        return _mm256_srai_epi32(a, N);
    }
    static I srl(I a, uint32_t n)
    {
        return _mm256_srl_epi32(a, _mm_cvtsi32_si128(static_cast<int>(n)));
    }
    static I sll(I a, uint32_t n)
    {
        return _mm256_sll_epi32(a, _mm_cvtsi32_si128(static_cast<int>(n)));
    }
    static I mullo(I a, I b) { return _mm256_mullo_epi32(a, b); }
    static bool any(I mask) { return !_mm256_testz_si256(mask, mask); }
    static I equal(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
    // All ones where a > b; false for NaN, as the scalar comparison.
    static I greater(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GT_OQ)); }
    static I select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
    static F selectF(I mask, F a, F b) { return _mm256_blendv_ps(b, a, _mm256_castsi256_ps(mask)); }
    // Eight plain loads: on the processors measured, faster than vpgatherdd.
    static I gather(const uint32_t* texels, I index)
    {
        alignas(32) uint32_t at[8];
        _mm256_store_si256(reinterpret_cast<I*>(at), index);
        __m128i low = _mm_cvtsi32_si128(static_cast<int>(texels[at[0]]));
        __m128i high = _mm_cvtsi32_si128(static_cast<int>(texels[at[4]]));
        low = _mm_insert_epi32(low, static_cast<int>(texels[at[1]]), 1);
        high = _mm_insert_epi32(high, static_cast<int>(texels[at[5]]), 1);
        low = _mm_insert_epi32(low, static_cast<int>(texels[at[2]]), 2);
        high = _mm_insert_epi32(high, static_cast<int>(texels[at[6]]), 2);
        low = _mm_insert_epi32(low, static_cast<int>(texels[at[3]]), 3);
        high = _mm_insert_epi32(high, static_cast<int>(texels[at[7]]), 3);
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    }
    static F add(F a, F b) { return _mm256_add_ps(a, b); }
    static F subF(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm256_mul_ps(a, b); }
    static F divF(F a, F b) { return _mm256_div_ps(a, b); }
    // maxps and minps hand back their second operand when either is NaN, as maxss and minss.
    static F maxF(F a, F b) { return _mm256_max_ps(a, b); }
    static F minF(F a, F b) { return _mm256_min_ps(a, b); }
    static I equalF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_EQ_OQ)); }
    static I lessF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_LT_OQ)); }
    static I greaterI(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static F toF(I a) { return _mm256_cvtepi32_ps(a); }
    static I truncate(F a) { return _mm256_cvttps_epi32(a); }
    static I round(F a) { return _mm256_cvtps_epi32(a); }
    static uint32_t maskBits(I mask)
    {
        return static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(mask)));
    }
    static F loadAF(const float* p) { return _mm256_load_ps(p); }
    static void storeAI(void* p, I a) { _mm256_store_si256(reinterpret_cast<I*>(p), a); }
    // fx(n / d), rounded and saturated as toFixed does (see the SSE2 path).
    static I fixedOf(F n, F d)
    {
        return _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_div_ps(n, d), _mm256_set1_ps(65536.0f)));
    }
    static F asF(I a) { return _mm256_castsi256_ps(a); }
    static void storeA(float* p, F a) { _mm256_store_ps(p, a); }
    // Lane k of v[t] becomes lane t of v[k]: the usual 8 x 8 transpose in three rounds.
    static void transpose(F* v)
    {
        F t[8], s[8];
        for (int k = 0; k < 4; ++k) {
            t[2 * k] = _mm256_unpacklo_ps(v[2 * k], v[2 * k + 1]);
            t[2 * k + 1] = _mm256_unpackhi_ps(v[2 * k], v[2 * k + 1]);
        }
        for (int k = 0; k < 2; ++k) {
            s[4 * k] = _mm256_shuffle_ps(t[4 * k], t[4 * k + 2], 0x44);
            s[4 * k + 1] = _mm256_shuffle_ps(t[4 * k], t[4 * k + 2], 0xEE);
            s[4 * k + 2] = _mm256_shuffle_ps(t[4 * k + 1], t[4 * k + 3], 0x44);
            s[4 * k + 3] = _mm256_shuffle_ps(t[4 * k + 1], t[4 * k + 3], 0xEE);
        }
        for (int k = 0; k < 4; ++k) {
            v[k] = _mm256_permute2f128_ps(s[k], s[k + 4], 0x20);
            v[k + 4] = _mm256_permute2f128_ps(s[k], s[k + 4], 0x31);
        }
    }
};

} // namespace

const RowsPath kAvx2Rows = {Avx2::kLanes, kRowsSetUps<Avx2>, kRowsDrawers<Avx2>.data()};

} // namespace tarvo
